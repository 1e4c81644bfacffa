// The names of the plug-in's and the host's that the simulator knows before
// anything made them: feature toggles and trace handles. A line naming
// another one is a mistake (a misspelt toggle would otherwise be a check
// that passes on nothing), answered with the names meant.
#pragma once

#include <string>

namespace Sim {

// The toggles the plug-in reads.
inline constexpr const char * knownToggleNames[] = { "StrataCfmOnTH3", "StrataCfmOnTH3Masquerade" };
// Throws ScenarioError unless `name` is one of them.
void requireKnownToggle( const std::string & name );

// The trace handles the plug-in and the host make: the plug-in's default
// handle (made on first use) and ApiStrata (made when the library loads),
// and the state database's Cairn.
inline constexpr const char * knownTraceHandles[] = { "StrataPacketTracerSliceMounter", "ApiStrata", "Cairn" };
// Throws ScenarioError unless `handle` is a known handle or one that exists.
void requireTraceHandle( const std::string & handle );

} // namespace Sim
