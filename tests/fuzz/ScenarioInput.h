// Runs scenario text through the simulator's reader and commands the way a
// file given on its command line runs, and states what must hold for any
// text: shared by the fuzz target (which also replays the kept inputs in
// every test build) and the test of these checks.
//
// The plug-in is never loaded here (the loader is pointed at a path that
// cannot exist), so `agent start` is refused as a scenario error. That keeps
// the run to the reader and the host-side commands, and out of reach of the
// agent's deliberate stops (a failed checked SDK call, a broken allocator
// precondition), which are the agent's contract rather than faults; the
// plug-in's behaviour is what the scenario files and plug-in tests check.
#pragma once

#include <string>
#include <string_view>

namespace FuzzCheck {

struct ScenarioOutcome {
   int exitStatus = 0; // as the simulator would exit: 0, 1 or 2
   std::string out;    // standard output (--quiet: no trace lines)
   std::string err;    // standard error
};

// The name the text runs under, as in "NAME:LINE: what is wrong".
constexpr const char * scenarioName = "fuzz.scn";

// Runs `text` in a fresh session on a fresh chip, toggles, clock and trace
// levels. Not reentrant: the chip, clock and toggles are the process's.
ScenarioOutcome runScenarioText( std::string_view text );

// What the outcome breaks of the simulator's promises: the exit status is 0,
// 1 or 2; status 2 ends standard error with "fuzz.scn:LINE: ..."; status 1
// comes with a final "N passed, M failed" where M > 0, and status 0 with no
// failed check. Returns "" when everything held.
std::string scenarioOutcomeProblem( const ScenarioOutcome & outcome );

} // namespace FuzzCheck
