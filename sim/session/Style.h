// Colour for people at a terminal, and none for anything else: a Style either
// wraps text in ANSI colour codes or hands it back untouched, so the callers
// never test for a terminal themselves and piped output stays plain text that
// scripts and tests can compare.
#pragma once

#include "Quill/Trace.h"

#include <string>
#include <string_view>

namespace Sim {

// What a piece of text means, not how it looks: the Style picks the colour.
enum class Tone {
   plain,
   heading, // table headers, section titles
   value,   // a value worth the eye: a non-zero field, a set flag
   good,    // an expectation that held, a summary without failures
   bad,     // a failed expectation, an error
   dim,     // what the eye may skip: zero values, file paths, "(none)"
};

class Style {
 public:
   explicit Style( bool colour = false ) : colour_( colour ) {}
   bool colour() const noexcept { return colour_; }
   // `text` in the tone's colour; `text` itself when colour is off or the
   // tone is plain.
   std::string paint( std::string_view text, Tone tone ) const;

 private:
   bool colour_;
};

// Whether output to `fd` should be coloured: it is a terminal and the
// environment does not set NO_COLOR to a non-empty value (the common
// convention for switching colour off).
bool colourWanted( int fd );

// A formatted trace line with its parts toned: the time and the source
// location dim, the handle and level by handle. `line` must be
// formatTraceLine( record ); without colour it comes back as it is.
std::string paintTraceLine( const Style & style, const Quill::TraceRecord & record, const std::string & line );

} // namespace Sim
