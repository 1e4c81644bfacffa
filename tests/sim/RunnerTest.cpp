// The runner without the plug-in: errors that are the scenario's own. (Failed
// and malformed lines in a file, exit statuses and the summary are shown by
// scenarios/sim_*.scn; an interactive session going on after an error by
// RecordingTest.cpp.)
#include "CommandTable.h"
#include "Flagpole/Toggle.h"
#include "Quill/Trace.h"
#include "Runner.h"
#include "Session.h"
#include "Shim/SimChip.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

class RunnerTest : public ::testing::Test {
 protected:
   void SetUp() override {
      Shim::simChip().reset();
      Flagpole::togglesClear();
      Quill::traceDefaultLevelsIs( 0xFFFF );
   }
   // Runs `text` as the file "t.scn"; returns the exit status.
   int runFile( const std::string & text ) {
      std::istringstream in( text );
      runner_.runFile( in, "t.scn" );
      runner_.finish();
      return runner_.exitStatus();
   }
   std::ostringstream out_, err_;
   Sim::PluginLoader loader_{ "/nonexistent/libStrataPacketTracerSlice.so" };
   Sim::Session session_{ out_, err_, true, loader_ };
   Sim::CommandTable table_ = Sim::standardCommands();
   Sim::Runner runner_{ session_, table_ };
};

TEST_F( RunnerTest, ScenarioMistakesAreErrorsNamingThem ) {
   EXPECT_EQ( runFile( "chip port-tab 8 1 vfpEnable=1\n" ), 2 );
   EXPECT_EQ( err_.str().rfind( "t.scn:1: chip port-tab: ", 0 ), 0u ) << err_.str();
   err_.str( "" );
   EXPECT_EQ( runFile( "chip fail soc_mem_write LPORT_TABm unit 0 index 5 rc 0\n" ), 2 );
   EXPECT_NE( err_.str().find( "is not a failure" ), std::string::npos ) << err_.str();
   EXPECT_EQ( runFile( "agent start\n" ), 2 );
   EXPECT_NE( err_.str().find( "cannot load the plug-in (tried /nonexistent/libStrataPacketTracerSlice.so)" ),
              std::string::npos )
      << err_.str();
   EXPECT_FALSE( session_.host.started() );
}

} // namespace
