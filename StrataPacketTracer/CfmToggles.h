// The two feature toggles that switch CFM programming on, and the gate built
// from them.
//
// Each toggle is asked of the toggle library once per process, on first use,
// and its lowest bit kept: a later change of the toggle file takes effect only
// after a restart, as for every other switch of the agent. The first use is
// safe when several threads get there at once.
#pragma once

namespace Strata {

// "StrataCfmOnTH3" of "StrataCfm.json".
bool toggleStrataCfmOnTH3Enabled();
// "StrataCfmOnTH3Masquerade" of "StrataCfm.json".
bool toggleStrataCfmOnTH3MasqueradeEnabled();

// Whether CFM programming runs: both toggles on. The masquerade toggle is
// asked only when the first one is on, so a switch that never enabled CFM
// never reads it.
bool cfmProgrammingEnabled();

} // namespace Strata
