// Which ports a slice can program, for the packet tracer and for CFM.
//
// A handler decides before the first chip access whether it can carry a port
// through in full: a port it cannot address, key or claim is refused there,
// with one ERROR line, and touches nothing. Going on would leave the chip
// half-programmed: the tracer's profile entry (shared by every port it holds
// on the unit) rewritten for a request that is never posted, or CFM's profile
// written for a claim that is never counted and so never cleared.
#include "PluginTrace.h"
#include "StrataPacketTracerSliceSm.h"

#include "Shim/Sdk.h"

#include <algorithm>

namespace Strata {

U32
StrataPacketTracerSliceSm::claimCapacity() const noexcept {
   return std::min( tracerClaims_.capacity(), cfmClaims_.capacity() );
}

const StrataModInfo *
StrataPacketTracerSliceSm::modInfoOfUnit( U16 unit ) const {
   return inputs_.scsd ? inputs_.scsd->strataModId.find( unit ) : nullptr;
}

bool
StrataPacketTracerSliceSm::servesPort( const StrataTypes::StrataPort & sp, TraceLine site,
                                       const char * function ) const {
   if( sp.modId == modId_.value() ) {
      return true;
   }
   PT_TRACE( 9, site, function ) << function << " port: " << sp << " is module " << sp.modId << "'s, left to its slice";
   return false;
}

std::optional< std::string >
StrataPacketTracerSliceSm::portRefusal( const StrataTypes::StrataPort & sp ) const {
   if( sp == StrataTypes::StrataPort::nullPort() ) {
      return "is no chip port";
   }
   if( !Shim::sdk_->soc_unit_valid( sp.unit ) ) {
      return "unit: " + std::to_string( sp.unit ) + " is not a unit of the chip";
   }
   // The claims are what lets each client give way to the other and what
   // counts the CFM profile's users: a port they cannot hold cannot be
   // programmed safely.
   if( sp.port >= claimCapacity() ) {
      return "port number: " + std::to_string( sp.port ) + " beyond the " + std::to_string( claimCapacity() ) +
             " ports the source-trunk claims hold";
   }
   return std::nullopt;
}

std::optional< std::string >
StrataPacketTracerSliceSm::requestRefusal( const StrataTypes::StrataPort & sp ) const {
   if( std::optional< std::string > refusal = portRefusal( sp ) ) {
      return refusal;
   }
   if( !modInfoOfUnit( sp.unit ) ) {
      return "unit: " + std::to_string( sp.unit ) + " not present in scsd->strataModId()";
   }
   if( !inputs_.sourceTrunkMapRequestDir ) {
      return std::string( "no sourceTrunkMapRequestDir to post to" );
   }
   return std::nullopt;
}

} // namespace Strata
