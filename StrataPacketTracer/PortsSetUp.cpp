#include "PortsSetUp.h"

#include <algorithm>
#include <iterator>

namespace Strata {

void
PortsSetUp::cfmUserIs( const StrataTypes::StrataPort & port, bool uses ) {
   if( uses ) {
      cfmUsers_[ port.unit ].insert( port );
      return;
   }
   const auto unit = cfmUsers_.find( port.unit );
   if( unit != cfmUsers_.end() && unit->second.erase( port ) && unit->second.empty() ) {
      cfmUsers_.erase( unit );
   }
}

std::size_t
PortsSetUp::cfmUsers( U16 unit ) const {
   const auto found = cfmUsers_.find( unit );
   return found == cfmUsers_.end() ? 0 : found->second.size();
}

bool
PortsSetUp::cfmUses( const StrataTypes::StrataPort & port ) const {
   const auto found = cfmUsers_.find( port.unit );
   return found != cfmUsers_.end() && found->second.count( port ) != 0;
}

std::vector< StrataTypes::StrataPort >
PortsSetUp::cfmUsersOfModule( U16 modId ) const {
   std::vector< StrataTypes::StrataPort > ports;
   for( const auto & [ unit, users ] : cfmUsers_ ) {
      std::copy_if( users.begin(), users.end(), std::back_inserter( ports ),
                    [ modId ]( const StrataTypes::StrataPort & port ) { return port.modId == modId; } );
   }
   return ports;
}

void
PortsSetUp::tracerPortIs( StrataTypes::StrataPort port, bool steered ) {
   port.flags = 0;
   if( steered ) {
      tracerPorts_.insert( port );
   } else {
      tracerPorts_.erase( port );
   }
}

std::vector< StrataTypes::StrataPort >
PortsSetUp::tracerPortsOfModule( U16 modId, const StrataTypes::StrataPort * kept ) const {
   std::vector< StrataTypes::StrataPort > ports;
   std::copy_if( tracerPorts_.begin(), tracerPorts_.end(), std::back_inserter( ports ),
                 [ modId, kept ]( const StrataTypes::StrataPort & port ) {
                    return port.modId == modId && !( kept && samePort( port, *kept ) );
                 } );
   return ports;
}

} // namespace Strata
