// Model-based randomized runs of the plug-in against the reference model.
//
// Every run is reproducible from its seed. CI runs a fixed list of seeds;
// STRATA_MODEL_SEED adds one more (and STRATA_MODEL_STEPS sets the number of
// steps per run), for example to replay a seed from a failure report:
//    STRATA_MODEL_SEED=12345 STRATA_MODEL_STEPS=2000 model_tests
// Each run prints its seed before it starts, so that even a run that stops
// the process can be replayed.
#include "AgentHarness.h"
#include "Generator.h"
#include "ReferenceModel.h"
#include "Runner.h"

#include "Shim/SimChip.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ModelTest {
namespace {

constexpr std::size_t defaultSteps = 1000;

std::optional< U64 >
environmentNumber( const char * name ) {
   const char * text = std::getenv( name );
   if( !text || !*text ) {
      return std::nullopt;
   }
   return U64( std::strtoull( text, nullptr, 0 ) );
}

std::vector< U64 >
seeds() {
   std::vector< U64 > list{ 1, 2, 3, 5, 8, 13, 21, 34, 55, 89, 144, 233, 377, 610, 987, 1597 };
   if( std::optional< U64 > extra = environmentNumber( "STRATA_MODEL_SEED" ) ) {
      list.push_back( *extra );
   }
   return list;
}

std::size_t
steps() {
   return std::size_t( environmentNumber( "STRATA_MODEL_STEPS" ).value_or( defaultSteps ) );
}

// Runs every seed; reports each failing one with its shortest sequence.
void
runSeeds( const std::string & runName, bool confined, RunChecks checks ) {
   const Universe universe;
   for( U64 seed : seeds() ) {
      std::cout << "[ model    ] " << runName << " seed " << seed << ", " << steps() << " steps" << std::endl;
      const Sequence sequence = generateSequence( universe, seed, steps(), confined );
      const RunResult result = runSequence( universe, sequence, checks );
      if( result.failure ) {
         ADD_FAILURE() << failureReport( universe, runName, seed, sequence, *result.failure, checks, confined );
      }
   }
}

// Unconfined: any sequence at all. Whatever the rules lead to, the plug-in
// must do exactly what the reference model does, and clean up after itself.
TEST( ModelRun, PluginFollowsTheRulesOnAnySequence ) {
   runSeeds( "unconfined", false, RunChecks{} );
}

// Confined to the sequences where the rules agree with the clients' intent:
// there the stated invariants must hold on the plug-in after every step.
TEST( ModelRun, InvariantsHoldWhereTheRulesAgreeWithTheIntent ) {
   runSeeds( "confined", true, RunChecks{ .intent = true } );
}

// The confinement does not starve the runs: every hand-over of a port's
// source trunk map between the tracer, CFM and profile 0 happens, the CFM
// profile is written and cleared again, and two slices and LAG members are
// common.
TEST( ModelRun, ConfinedRunsStillCoverTheInteractions ) {
   const Universe universe;
   const Sequence sequence = generateSequence( universe, 7, 1000, true );
   ReferenceModel model( universe );
   std::map< std::pair< U32, U32 >, std::size_t > handOvers;
   std::size_t profileWritten = 0;
   std::size_t profileCleared = 0;
   std::size_t withTwoSlices = 0;
   std::size_t withLagMembers = 0;
   for( const Action & action : sequence ) {
      const Observation before = model.expected();
      model.apply( action );
      const Observation after = model.expected();
      for( const Port & port : universe.ports() ) {
         const U32 from = before.sourceTrunkMapOf( port );
         const U32 to = after.sourceTrunkMapOf( port );
         handOvers[ { from, to } ] += from != to;
      }
      const bool had = before.lportTab.count( int( cfmProfileIdx ) ) != 0;
      const bool has = after.lportTab.count( int( cfmProfileIdx ) ) != 0;
      profileWritten += !had && has;
      profileCleared += had && !has;
      withTwoSlices += model.slices().size() >= 2;
      withLagMembers += !model.world().portToLag.empty();
   }
   for( U32 from : { 0u, cfmProfileIdx, tracerProfileIdx } ) {
      for( U32 to : { 0u, cfmProfileIdx, tracerProfileIdx } ) {
         if( from != to ) {
            EXPECT_GE( handOvers[ std::make_pair( from, to ) ], 5u ) << "hand-overs from " << from << " to " << to;
         }
      }
   }
   EXPECT_GE( profileWritten, 5u );
   EXPECT_GE( profileCleared, 5u );
   EXPECT_GE( withTwoSlices, 50u );
   EXPECT_GE( withLagMembers, 200u );
   EXPECT_GE( model.world().status.version, 50u );
}

// The comparison is not blind: a chip entry changed behind the plug-in's
// back, or a completion that did not come, is reported.
TEST( ModelRun, TheComparisonNoticesADifference ) {
   const Universe universe;
   AgentHarness harness( universe, false );
   ReferenceModel model( universe );
   const Sequence setup{ Step::moduleAdd( 1 ), Step::intfAdd( "Ethernet1" ), Step::cfmAdd( "Ethernet1", 10 ),
                         Step::apply( "Ethernet1", 1 ) };
   for( const Action & action : setup ) {
      harness.apply( action );
      model.apply( action );
   }
   ASSERT_TRUE( differences( model.expected(), harness.observe() ).empty() );

   Shim::SimChip & chip = Shim::simChip();
   chip.entryFieldIs( chipUnit, chip.LPORT_TABm(), int( cfmProfileIdx ), "cfmOnly", 0 );
   const std::vector< std::string > chipDiffs = differences( model.expected(), harness.observe() );
   ASSERT_EQ( chipDiffs.size(), 1u );
   EXPECT_NE( chipDiffs[ 0 ].find( "LPORT_TAB 0 1" ), std::string::npos ) << chipDiffs[ 0 ];

   // The model expects the completion two seconds on; time stops short.
   model.apply( Step::advance( 2.0 ) );
   harness.apply( Step::advance( 1.0 ) );
   chip.entryFieldIs( chipUnit, chip.LPORT_TABm(), int( cfmProfileIdx ), "cfmOnly", 1 );
   const std::vector< std::string > timeDiffs = differences( model.expected(), harness.observe() );
   EXPECT_FALSE( timeDiffs.empty() );
   EXPECT_TRUE( harness.finish().empty() );
}

} // namespace
} // namespace ModelTest
