// Every input kept with the fuzz targets, replayed through the checks they
// make: the seeds, and each input that once crashed or broke a promise
// (saved under corpus/ with the name of what it found). A fault that comes
// back fails here in every test build, fuzzer or not.
#include "LportTableFieldsInput.h"
#include "ScenarioInput.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector< fs::path >
keptInputs( const std::string & target ) {
   std::vector< fs::path > files;
   for( const auto & entry : fs::directory_iterator( fs::path( FUZZ_CORPUS_DIR ) / target ) ) {
      if( entry.is_regular_file() ) {
         files.push_back( entry.path() );
      }
   }
   std::sort( files.begin(), files.end() );
   return files;
}

std::string
contentsOf( const fs::path & file ) {
   std::ifstream in( file, std::ios::binary );
   std::ostringstream text;
   text << in.rdbuf();
   return text.str();
}

// The file name as a test name: letters, digits and '_' only.
std::string
testNameOf( const ::testing::TestParamInfo< fs::path > & info ) {
   std::string name = info.param.filename().string();
   std::replace_if(
      name.begin(), name.end(), []( unsigned char c ) { return !std::isalnum( c ); }, '_' );
   return name;
}

class LportTableFieldsCorpus : public ::testing::TestWithParam< fs::path > {};

TEST_P( LportTableFieldsCorpus, ParsesOrRefusesAndRoundTrips ) {
   EXPECT_EQ( FuzzCheck::lportTableFieldsProblem( contentsOf( GetParam() ) ), "" );
}

INSTANTIATE_TEST_SUITE_P( Kept, LportTableFieldsCorpus,
                          ::testing::ValuesIn( keptInputs( "lport_table_fields" ) ), testNameOf );

class ScenarioCorpus : public ::testing::TestWithParam< fs::path > {};

TEST_P( ScenarioCorpus, EndsWithAnExitStatusAndItsMessage ) {
   const FuzzCheck::ScenarioOutcome outcome = FuzzCheck::runScenarioText( contentsOf( GetParam() ) );
   EXPECT_EQ( FuzzCheck::scenarioOutcomeProblem( outcome ), "" )
      << "standard output:\n" << outcome.out << "standard error:\n" << outcome.err;
}

INSTANTIATE_TEST_SUITE_P( Kept, ScenarioCorpus, ::testing::ValuesIn( keptInputs( "scenario" ) ),
                          testNameOf );

} // namespace

namespace {

// The replay above is only as good as the checks: they must see the run and
// tell a broken promise from a kept one.
TEST( ScenarioChecks, SeeTheRunAndItsEnding ) {
   const FuzzCheck::ScenarioOutcome held = FuzzCheck::runScenarioText(
      "chip cpu-pkt-profile-2 0 5\nexpect cpu-pkt-profile-2 0 5\n" );
   EXPECT_EQ( held.exitStatus, 0 );
   EXPECT_EQ( held.out, "1 passed, 0 failed\n" );

   const FuzzCheck::ScenarioOutcome failed =
      FuzzCheck::runScenarioText( "expect cpu-pkt-profile-2 0 5\n" );
   EXPECT_EQ( failed.exitStatus, 1 );
   EXPECT_EQ( FuzzCheck::scenarioOutcomeProblem( failed ), "" );

   // The plug-in stays unloaded: starting the agent is a scenario error.
   const FuzzCheck::ScenarioOutcome noAgent = FuzzCheck::runScenarioText( "\nagent start\n" );
   EXPECT_EQ( noAgent.exitStatus, 2 );
   EXPECT_EQ( noAgent.err.rfind( "fuzz.scn:2: ", 0 ), 0u ) << noAgent.err;
   EXPECT_EQ( FuzzCheck::scenarioOutcomeProblem( noAgent ), "" );

   // Each run starts from a fresh chip.
   EXPECT_EQ( FuzzCheck::runScenarioText( "expect cpu-pkt-profile-2 0 0\n" ).exitStatus, 0 );
}

TEST( ScenarioChecks, FlagEveryBrokenPromise ) {
   using FuzzCheck::ScenarioOutcome;
   EXPECT_NE( scenarioOutcomeProblem( ScenarioOutcome{ 0, "2 passed, 1 failed\n", "" } ), "" );
   EXPECT_NE( scenarioOutcomeProblem( ScenarioOutcome{ 1, "3 passed, 0 failed\n", "" } ), "" );
   EXPECT_NE( scenarioOutcomeProblem( ScenarioOutcome{ 1, "", "" } ), "" );
   EXPECT_NE( scenarioOutcomeProblem( ScenarioOutcome{ 2, "", "" } ), "" );
   EXPECT_NE( scenarioOutcomeProblem( ScenarioOutcome{ 2, "", "other.scn:4: bad\n" } ), "" );
   EXPECT_NE( scenarioOutcomeProblem( ScenarioOutcome{ 2, "", "fuzz.scn:x: bad\n" } ), "" );
   EXPECT_NE( scenarioOutcomeProblem( ScenarioOutcome{ 134, "", "" } ), "" );
   EXPECT_EQ( scenarioOutcomeProblem( ScenarioOutcome{ 2, "", "fuzz.scn:12: bad\n" } ), "" );
}

} // namespace
