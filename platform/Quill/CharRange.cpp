#include "Quill/CharRange.h"

#include "Quill/Exceptions.h"

#include <limits>

namespace Quill {

void
CharRange::needString( std::string_view literal ) {
   if( rest().substr( 0, literal.size() ) != literal ) {
      // Appended piece by piece: GCC 12 at -O3 reports a false -Wrestrict
      // on a literal + std::string&& concatenation, which breaks Release.
      std::string quoted( 1, '"' );
      quoted.append( literal ).push_back( '"' );
      fail( quoted );
   }
   pos_ += literal.size();
}

void
CharRange::checkAllDataConsumed() const {
   if( !atEnd() ) {
      fail( "the end of the text" );
   }
}

void
CharRange::advance( std::size_t count ) noexcept {
   pos_ = std::min( text_.size(), pos_ + count );
}

void
CharRange::fail( const std::string & expected ) const {
   std::string found( rest().substr( 0, 24 ) );
   if( found.empty() ) {
      found = "the end of the text";
   } else {
      found = "\"" + found + ( rest().size() > 24 ? "...\"" : "\"" );
   }
   throw ParseException( "parse error at offset " + std::to_string( pos_ ) + ": expected " + expected + ", found " +
                         found );
}

void
deserializeAttr( CharRange & range, const char * name, bool & value ) {
   if( range.rest().starts_with( "true" ) ) {
      value = true;
      range.advance( 4 );
   } else if( range.rest().starts_with( "false" ) ) {
      value = false;
      range.advance( 5 );
   } else {
      range.fail( std::string( "true or false for '" ) + name + "'" );
   }
}

void
deserializeAttr( CharRange & range, const char * name, U32 & value ) {
   const std::string_view rest = range.rest();
   std::size_t digits = 0;
   std::uint64_t parsed = 0;
   while( digits < rest.size() && rest[ digits ] >= '0' && rest[ digits ] <= '9' ) {
      parsed = parsed * 10 + std::uint64_t( rest[ digits ] - '0' );
      if( parsed > std::numeric_limits< U32 >::max() ) {
         range.fail( std::string( "an unsigned 32-bit number for '" ) + name + "'" );
      }
      ++digits;
   }
   if( digits == 0 ) {
      range.fail( std::string( "an unsigned number for '" ) + name + "'" );
   }
   value = static_cast< U32 >( parsed );
   range.advance( digits );
}

} // namespace Quill
