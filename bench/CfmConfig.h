// The CFM configurations the benchmarks run against.
//
// The configuration is spread over 100 plain interfaces, Ethernet1 to
// Ethernet100 on ports 1 to 100 of unit 0: key k is interface k % 100 + 1 on
// VLAN k / 100 + 1, so 10 keys are 10 interfaces on VLAN 1 and 100,000 keys
// are 100 interfaces on VLANs 1 to 1,000. Keys are added in that order (not
// the collection's own order), as a configuration entered over time would
// be. The shared Strata state is the same for every size; only the CFM
// configuration grows.
#pragma once

#include "AgentWorld.h"

#include <string>

namespace Bench {

inline constexpr unsigned configInterfaces = 100;
// A plain interface outside the configuration, for single-key events.
inline constexpr U16 eventPortNumber = 120;
inline constexpr const char * eventIntf = "Ethernet120";

std::string ethernet( unsigned number );
CfmSw::IntfVlanTuple configKey( unsigned k );
// Unit 0 known, the 100 configuration interfaces and the event interface.
void buildInterfaces( AgentWorld & world );
// Keys 0 to keys - 1.
void buildConfig( AgentWorld & world, unsigned keys );

} // namespace Bench
