#include "PresentCfmKeys.h"

#include <bit>

namespace Strata {

void
PresentCfmKeys::keyPresentIs( const CfmSw::IntfVlanTuple & key ) {
   std::vector< U64 > & bits = vlans_[ key.intf.name() ];
   const std::size_t word = key.vlan / 64u;
   if( bits.size() <= word ) {
      bits.resize( word + 1, 0 );
   }
   bits[ word ] |= U64( 1 ) << ( key.vlan % 64u );
}

bool
PresentCfmKeys::anyPresent( const Lumo::IntfId & intf, const CfmSw::CfmHwConfig & config ) {
   const auto found = vlans_.find( intf.name() );
   if( found == vlans_.end() ) {
      return false;
   }
   CfmSw::IntfVlanTuple probe( intf, 0 );
   U16 firstVlan = 0; // of the current word
   for( U64 & word : found->second ) {
      while( word ) {
         const unsigned bit = unsigned( std::countr_zero( word ) );
         probe.vlan = U16( firstVlan + bit );
         if( config.forwardingConfig.contains( probe ) ) {
            return true;
         }
         word &= ~( U64( 1 ) << bit );
      }
      firstVlan = U16( firstVlan + 64 );
   }
   // The interface's (now empty) bits stay: a few words per interface ever
   // configured.
   return false;
}

} // namespace Strata
