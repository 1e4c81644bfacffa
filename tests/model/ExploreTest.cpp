// A tool rather than a check: searches unconfined random runs for the
// shortest sequences in which the design's own rules break the stated
// invariants (the plug-in agreeing with the reference model all along), and
// prints each distinct one. Runs only when asked:
//    STRATA_MODEL_EXPLORE=1000 model_tests --gtest_also_run_disabled_tests
//       --gtest_filter='ModelExplore.*'
// searches seeds 1 to 1000 (200 without the variable), STRATA_MODEL_STEPS
// steps each (300 by default).
#include "Generator.h"
#include "Runner.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <set>

namespace ModelTest {
namespace {

TEST( ModelExplore, DISABLED_ShortestSequencesWhereTheRulesBreakTheInvariants ) {
   const char * seedsText = std::getenv( "STRATA_MODEL_EXPLORE" );
   const U64 seeds = seedsText && *seedsText ? std::strtoull( seedsText, nullptr, 0 ) : 200;
   const char * stepsText = std::getenv( "STRATA_MODEL_STEPS" );
   const std::size_t steps = stepsText && *stepsText ? std::strtoull( stepsText, nullptr, 0 ) : 300;
   const Universe universe;
   const RunChecks checks{ .intent = true };

   // Shortest sequence text to (the break it shows, the seed it came from).
   std::map< std::pair< std::size_t, std::string >, std::pair< std::string, U64 > > found;
   for( U64 seed = 1; seed <= seeds; ++seed ) {
      const Sequence sequence = generateSequence( universe, seed, steps, false );
      const RunResult result = runSequence( universe, sequence, checks );
      if( !result.failure ) {
         continue;
      }
      if( result.failure->kind != FailureKind::invariant ) {
         ADD_FAILURE() << failureReport( universe, "explore", seed, sequence, *result.failure, checks, false );
         continue;
      }
      auto fails = [ & ]( const Sequence & candidate ) -> std::optional< Failure > {
         RunResult r = runSequence( universe, candidate, checks );
         if( r.failure && r.failure->kind == FailureKind::invariant ) {
            return r.failure;
         }
         return std::nullopt;
      };
      const Sequence shortest = shrink( sequence, fails, 1500 );
      std::string text;
      for( const Action & action : shortest ) {
         text += "    " + action.text( universe ) + "\n";
      }
      const RunResult last = runSequence( universe, shortest, checks );
      const std::string what = last.failure && !last.failure->details.empty() ? last.failure->details[ 0 ] : "?";
      found.emplace( std::make_pair( shortest.size(), text ), std::make_pair( what, seed ) );
   }
   for( const auto & [ key, value ] : found ) {
      std::cout << "---- " << key.first << " steps (seed " << value.second << "): " << value.first << "\n"
                << key.second;
   }
}

} // namespace
} // namespace ModelTest
