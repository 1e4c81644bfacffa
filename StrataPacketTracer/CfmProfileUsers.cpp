#include "CfmProfileUsers.h"

namespace Strata {

void
CfmProfileUsers::userIs( const StrataTypes::StrataPort & port, bool uses ) {
   if( uses ) {
      users_[ port.unit ].insert( port );
      return;
   }
   const auto unit = users_.find( port.unit );
   if( unit != users_.end() && unit->second.erase( port ) && unit->second.empty() ) {
      users_.erase( unit );
   }
}

std::size_t
CfmProfileUsers::count( U16 unit ) const {
   const auto found = users_.find( unit );
   return found == users_.end() ? 0 : found->second.size();
}

bool
CfmProfileUsers::uses( const StrataTypes::StrataPort & port ) const {
   const auto found = users_.find( port.unit );
   return found != users_.end() && found->second.count( port ) != 0;
}

std::vector< StrataTypes::StrataPort >
CfmProfileUsers::usersOfModule( U16 modId ) const {
   std::vector< StrataTypes::StrataPort > ports;
   for( const auto & [ unit, users ] : users_ ) {
      for( const StrataTypes::StrataPort & port : users ) {
         if( port.modId == modId ) {
            ports.push_back( port );
         }
      }
   }
   return ports;
}

} // namespace Strata
