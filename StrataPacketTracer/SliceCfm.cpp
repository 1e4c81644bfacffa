// CFM programming: placeholder bodies until the programming lands.
#include "StrataPacketTracerSliceSm.h"

namespace Strata {
U32 StrataPacketTracerSliceSm::programLPortTableCfm( bool, const StrataTypes::StrataPort & ) { return lPortRsvdProfileIdx_; }
void StrataPacketTracerSliceSm::programSourceTrunkMapCfm( bool, U32, const StrataTypes::StrataPort & ) {}
void StrataPacketTracerSliceSm::handleLPortTableWriteForCfm( const CfmSw::IntfVlanTuple & ) {}
void StrataPacketTracerSliceSm::handleLPortTableWriteForCfm() {}
void StrataPacketTracerSliceSm::handlePortToLag( const StrataTypes::StrataPort & ) {}
} // namespace Strata
