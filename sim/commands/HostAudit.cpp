#include "commands/HostAudit.h"

#include "host/HostWorld.h"

namespace Sim {

std::string
countText( std::size_t count, const char * one, const char * many ) {
   return std::to_string( count ) + " " + ( count == 1 ? one : many );
}

std::string
summaryText( const Audit & audit ) {
   return countText( audit.differences().size(), "difference", "differences" ) + ", " +
          std::to_string( audit.pending().size() ) + " pending";
}

Audit
auditFor( Session & s, Args & args, std::optional< U16 > unit ) {
   const HostWorld world( s.host );
   Audit audit( world.view(), unit );
   s.listeners.tell(
      [ & ]( RunListener & l ) { l.audited( args.line(), audit.clean(), summaryText( audit ), audit.lines() ); } );
   return audit;
}

} // namespace Sim
