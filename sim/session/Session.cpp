#include "session/Session.h"

#include <ostream>

namespace Sim {

bool
Checks::check( const Location & where, bool holds, const std::string & expected, const std::string & got,
               const std::vector< std::string > & details ) {
   if( holds ) {
      ++passed_;
      listeners_.tell( [ & ]( RunListener & l ) { l.checked( where, true, "" ); } );
      return true;
   }
   ++failed_;
   // The failure as printed, its details one per line under it: the JUnit
   // report carries the same text.
   std::string message = where.text() + ": expected " + printable( expected ) + ", got " + printable( got );
   out_ << style_.paint( message, Tone::bad ) << "\n";
   for( const std::string & detail : details ) {
      out_ << style_.paint( "    " + printable( detail ), Tone::bad ) << "\n";
      message += "\n    " + printable( detail );
   }
   listeners_.tell( [ & ]( RunListener & l ) { l.checked( where, false, message ); } );
   return false;
}

void
Checks::raised( const Location & where, const std::string & command, const std::string & what, std::ostream & err ) {
   ++failed_;
   const std::string message = where.text() + ": " + command + " raised: " + printable( what );
   out_.flush();
   err << message << "\n";
   err.flush();
   listeners_.tell( [ & ]( RunListener & l ) { l.raised( where, message ); } );
}

std::string
Checks::summary() const {
   return style_.paint( std::to_string( passed_ ) + " passed, " + std::to_string( failed_ ) + " failed",
                        failed_ ? Tone::bad : Tone::good );
}

} // namespace Sim
