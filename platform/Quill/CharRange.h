// Quill::CharRange: a strict left-to-right reader over text, used to parse a
// value back from its representation. Every mismatch throws
// Quill::ParseException naming the position, what was expected and what
// stood there.
#pragma once

#include "Quill/Types.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace Quill {

class CharRange {
 public:
   CharRange( const char * begin, const char * end ) : text_( begin, std::size_t( end - begin ) ) {}
   explicit CharRange( std::string_view text ) : text_( text ) {}

   // Requires `literal` to come next and steps over it.
   void needString( std::string_view literal );
   // Requires that nothing is left.
   void checkAllDataConsumed() const;

   std::size_t position() const noexcept { return pos_; }
   std::string_view rest() const noexcept { return text_.substr( pos_ ); }
   bool atEnd() const noexcept { return pos_ >= text_.size(); }
   // Steps over `count` characters (no further than the end).
   void advance( std::size_t count ) noexcept;
   [[noreturn]] void fail( const std::string & expected ) const;

 private:
   std::string_view text_;
   std::size_t pos_ = 0;
};

// The framework's readers for attribute values: `name` names the attribute in
// the error. Booleans are "true" or "false"; unsigned numbers are decimal.
void deserializeAttr( CharRange & range, const char * name, bool & value );
void deserializeAttr( CharRange & range, const char * name, U32 & value );

} // namespace Quill
