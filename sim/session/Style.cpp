#include "session/Style.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace Sim {

namespace {

const char *
codeOf( Tone tone ) noexcept {
   switch( tone ) {
   case Tone::plain: return "";
   case Tone::heading: return "\x1b[1m";
   case Tone::value: return "\x1b[36m";
   case Tone::good: return "\x1b[32m";
   case Tone::bad: return "\x1b[1;31m";
   case Tone::dim: return "\x1b[2m";
   }
   return "";
}

} // namespace

std::string
Style::paint( std::string_view text, Tone tone ) const {
   if( !colour_ || tone == Tone::plain || text.empty() ) {
      return std::string( text );
   }
   return std::string( codeOf( tone ) ) + std::string( text ) + "\x1b[0m";
}

bool
colourWanted( int fd ) {
   const char * noColour = std::getenv( "NO_COLOR" );
   if( noColour && *noColour ) {
      return false;
   }
   return ::isatty( fd ) != 0;
}

std::string
paintTraceLine( const Style & style, const Quill::TraceRecord & record, const std::string & line ) {
   if( !style.colour() ) {
      return line;
   }
   // The chip's SDK calls stand apart from the plug-in's own steps.
   const std::string handle = record.handle == "ApiStrata" ? "\x1b[35m" : "\x1b[34m";
   return style.paint( Quill::traceTime( record.time ), Tone::dim ) + " " + handle + record.handle + "/" +
          std::to_string( record.level ) + "\x1b[0m " +
          style.paint( record.file + ":" + std::to_string( record.line ), Tone::dim ) + " " +
          style.paint( record.function, Tone::heading ) + ": " + record.text;
}

} // namespace Sim
