#include "Session.h"

#include <ostream>

namespace Sim {

bool
Checks::check( const Location & where, bool holds, const std::string & expected,
               const std::string & got, const std::vector< std::string > & details ) {
   if( holds ) {
      ++passed_;
      return true;
   }
   ++failed_;
   out_ << style_.paint( where.text() + ": expected " + printable( expected ) + ", got " + printable( got ),
                         Tone::bad )
        << "\n";
   for( const std::string & detail : details ) {
      out_ << style_.paint( "    " + printable( detail ), Tone::bad ) << "\n";
   }
   return false;
}

void
Checks::raised( const Location & where, const std::string & command, const std::string & what,
                std::ostream & err ) {
   ++failed_;
   out_.flush();
   err << where.text() << ": " << command << " raised: " << printable( what ) << "\n";
   err.flush();
}

std::string
Checks::summary() const {
   return style_.paint( std::to_string( passed_ ) + " passed, " + std::to_string( failed_ ) +
                           " failed",
                        failed_ ? Tone::bad : Tone::good );
}

} // namespace Sim
