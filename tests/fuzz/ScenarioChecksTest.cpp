// The checks the scenario fuzz target makes, and that the replay of its kept
// inputs makes in every test build, are only as good as they are sharp: they
// must see the run and tell a broken promise from a kept one.
#include "ScenarioInput.h"

#include <gtest/gtest.h>

namespace {

TEST( ScenarioChecks, SeeTheRunAndFlagEveryBrokenPromise ) {
   // Each run starts from a fresh chip; the plug-in stays unloaded, so
   // starting the agent is a scenario error.
   const struct {
      const char * text;
      int status;
      const char * printed; // how standard error, then standard output, start
   } runs[] = { { "chip cpu-pkt-profile-2 0 5\nexpect cpu-pkt-profile-2 0 5\n", 0, "1 passed, 0 failed\n" },
                { "expect cpu-pkt-profile-2 0 5\n", 1, "fuzz.scn:1: expected cpu-pkt-profile-2 0 0x5, got 0x0\n" },
                { "\nagent start\n", 2, "fuzz.scn:2: " },
                { "expect cpu-pkt-profile-2 0 0\n", 0, "1 passed, 0 failed\n" } };
   for( const auto & run : runs ) {
      const FuzzCheck::ScenarioOutcome outcome = FuzzCheck::runScenarioText( run.text );
      EXPECT_EQ( outcome.exitStatus, run.status ) << run.text;
      EXPECT_EQ( ( outcome.err + outcome.out ).rfind( run.printed, 0 ), 0u ) << run.text << outcome.err << outcome.out;
      EXPECT_EQ( FuzzCheck::scenarioOutcomeProblem( outcome ), "" ) << run.text;
   }

   using FuzzCheck::ScenarioOutcome;
   for( const ScenarioOutcome & broken :
        { ScenarioOutcome{ 0, "2 passed, 1 failed\n", "" }, ScenarioOutcome{ 1, "3 passed, 0 failed\n", "" },
          ScenarioOutcome{ 1, "", "" }, ScenarioOutcome{ 2, "", "" }, ScenarioOutcome{ 2, "", "other.scn:4: bad\n" },
          ScenarioOutcome{ 2, "", "fuzz.scn:x: bad\n" }, ScenarioOutcome{ 134, "", "" } } ) {
      EXPECT_NE( scenarioOutcomeProblem( broken ), "" ) << broken.exitStatus << " " << broken.out << broken.err;
   }
   EXPECT_EQ( scenarioOutcomeProblem( ScenarioOutcome{ 2, "", "fuzz.scn:12: bad\n" } ), "" );
}

} // namespace
