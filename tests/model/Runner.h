// Runs action sequences against the real plug-in and the reference model
// side by side, checks every step, shrinks failing sequences and writes them
// up.
//
// After every step a run checks:
// - the observation of the plug-in equals the model's (chip, agent table,
//   status, completion times, every slice's claims, timeout and clock);
// - the status `version` equals the number of completions published, and no
//   completion comes before its request's timeout has passed;
// - after an agent stop (restart, and the run's end): no live framework
//   object, subscriber or clock notifiee more than before the first start;
// - when asked to: the observation keeps the clients' intent (the stated
//   invariants; see ReferenceModel::invariantBreaks).
#pragma once

#include "Action.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ModelTest {

enum class FailureKind {
   mismatch,  // the plug-in and the model disagree
   completion, // the status version is not the number of completions, or a
               // completion came before its request's timeout had passed
   leftover,  // an agent stop left something behind
   exception, // something threw
   invariant, // the intent is broken (only when checked)
};

const char * failureKindName( FailureKind kind );

struct Failure {
   FailureKind kind;
   std::size_t step; // index of the failing action; the length for the run's end
   std::vector< std::string > details;
};

struct RunChecks {
   bool intent = false;        // also hold the observation against the intent
   bool captureTraces = false; // keep the plug-in's trace lines (for a report)
};

struct RunResult {
   std::optional< Failure > failure;
   std::vector< std::string > traces; // formatted, when captured
};

RunResult runSequence( const Universe & universe, const Sequence & sequence, RunChecks checks );

// The shortest sequence found that still `fails`: first the prefix up to the
// failing step, then chunks and single steps taken out while it still fails.
// At most `budget` candidate runs.
Sequence shrink( const Sequence & failing, const std::function< std::optional< Failure >( const Sequence & ) > & fails,
                 std::size_t budget = 3000 );

// The sequence as a scenario for strata-agent-sim: the harness's starting
// world, then one command per action (a timeout becomes one `set` per slice
// alive at that point).
std::string scenarioText( const Universe & universe, const Sequence & sequence );

// A write-up of a failing run: the seed, what failed at which step, the
// shortest failing sequence and the plug-in's trace lines for it.
std::string failureReport( const Universe & universe, const std::string & runName, U64 seed, const Sequence & sequence,
                           const Failure & failure, RunChecks checks, bool confined );

} // namespace ModelTest
