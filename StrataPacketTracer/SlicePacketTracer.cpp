// Packet-tracer programming: placeholder bodies until the programming lands.
#include "StrataPacketTracerSliceSm.h"

namespace Strata {
void StrataPacketTracerSliceSm::programLPortTable( const StrataTypes::StrataPort &, const LportTableFields & ) {}
void StrataPacketTracerSliceSm::programSourceTrunkMap( bool, const StrataTypes::StrataPort & ) {}
void StrataPacketTracerSliceSm::programCpuPktProfile( bool, const StrataTypes::StrataPort & ) {}
void StrataPacketTracerSliceSm::handleLPortTableWriteRequest() {}
} // namespace Strata
