// The runner and the commands that need no plug-in, run as a scenario would
// run them: what reaches standard output and standard error, the exit status,
// and the state the commands leave in the chip, the shared state and the
// toggles.
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

   std::ostringstream out_;
   std::ostringstream err_;
   Sim::PluginLoader loader_{ "/nonexistent/libStrataPacketTracerSlice.so" };
   Sim::Session session_{ out_, err_, true, loader_ };
   Sim::CommandTable table_ = Sim::standardCommands();
   Sim::Runner runner_{ session_, table_ };
};

TEST_F( RunnerTest, MalformedLineStopsTheFileWithItsLocation ) {
   const int status = runFile( "expect sdk any 1\n"
                               "\n"
                               "module 99 unit 0\n"
                               "chip port-tab 0 1 vfpEnable=1\n" );
   EXPECT_EQ( status, 2 );
   EXPECT_EQ( err_.str(), "t.scn:3: module id: 99 is out of range (0 to 64)\n" );
   // The preset after the bad line never ran.
   EXPECT_EQ( Shim::simChip().entryField( 0, Shim::simChip().PORT_TABm(), 1, "vfpEnable" ), 0u );
   EXPECT_EQ( out_.str(), "t.scn:1: expected sdk any 1, got 0\n0 passed, 1 failed\n" );
}

TEST_F( RunnerTest, FailedChecksGoOnAndSetExitOne ) {
   const int status = runFile( "chip lport-tab 1 5 portVid=0x123 vfpEnable=2\n"
                               "expect lport-tab 1 5 portVid=0x124 vfpEnable=2\n"
                               "expect lport-tab 1 5 portVid=291\n" );
   EXPECT_EQ( status, 1 );
   EXPECT_EQ( out_.str(), "t.scn:2: expected lport-tab 1 5 portVid=0x124 vfpEnable=2, got portVid=0x123 "
                          "vfpEnable=2\n1 passed, 1 failed\n" );
   EXPECT_EQ( err_.str(), "" );
}

TEST_F( RunnerTest, NoSummaryWithoutExpectations ) {
   EXPECT_EQ( runFile( "toggle StrataCfmOnTH3 on\n" ), 0 );
   EXPECT_EQ( out_.str(), "" );
   EXPECT_EQ( Flagpole::toggleStates().at( "StrataCfmOnTH3" ), true );
}

TEST_F( RunnerTest, InteractiveSessionsReportErrorsAndGoOn ) {
   std::istringstream in( "bogus\nchip cpu-pkt-profile-2 2 0x11\nexpect cpu-pkt-profile-2 2 17\n" );
   runner_.runInteractive( in, true );
   EXPECT_EQ( err_.str(), "stdin:1: unknown command 'bogus' (try help)\n" );
   EXPECT_EQ( runner_.exitStatus(), 0 );
   EXPECT_EQ( Shim::simChip().cpuPktProfile2( 2 ), 0x11u );
   EXPECT_NE( out_.str().find( "strata> " ), std::string::npos );
}

TEST_F( RunnerTest, ChipErrorsAreTheScenariosMistakes ) {
   EXPECT_EQ( runFile( "chip port-tab 8 1 vfpEnable=1\n" ), 2 );
   EXPECT_EQ( err_.str().rfind( "t.scn:1: chip port-tab: ", 0 ), 0u ) << err_.str();
}

TEST_F( RunnerTest, FailInjectionNeedsANegativeCode ) {
   EXPECT_EQ( runFile( "chip fail soc_mem_write LPORT_TABm unit 0 index 5 rc 0\n" ), 2 );
   EXPECT_NE( err_.str().find( "is not a failure" ), std::string::npos ) << err_.str();
}

TEST_F( RunnerTest, TraceCaptureAndLevels ) {
   const Quill::TraceHandle handle( "SimRunnerTest", false );
   ASSERT_TRUE( runner_.runLine( "trace SimRunnerTest 0,4", { "t", 1 } ) );
   QTRACE( handle, 4, 10, "emitter" ) << "kept line";
   QTRACE( handle, 5, 11, "emitter" ) << "dropped line";
   EXPECT_EQ( runFile( "expect trace \"emitter: kept line\"\n"
                       "expect no-trace \"dropped\"\n"
                       "expect trace-count \"SimRunnerTest/4\" 1\n"
                       "clear\n"
                       "expect no-trace \"kept\"\n" ),
              0 );
   EXPECT_EQ( out_.str(), "4 passed, 0 failed\n" );
}

TEST_F( RunnerTest, SharedStateCommandsKeepTheMapsConsistent ) {
   EXPECT_EQ( runFile( "intf Ethernet1 port 1/0/1\n"
                       "intf Ethernet1 port 1/0/2\n"
                       "intf Ethernet2 unused port 1/0/3\n"
                       "lag Port-Channel1 members Ethernet1 1/0/3\n"
                       "lag Port-Channel1 members 1/0/3\n" ),
              0 );
   auto & scsd = session_.host.scsd();
   const StrataTypes::StrataPort p1{ 1, 0, 1, 0 }, p2{ 1, 0, 2, 0 }, p3{ 1, 0, 3, 0 };
   // Moving an interface leaves its old port.
   EXPECT_FALSE( scsd.strataPortToIntf.contains( p1 ) );
   EXPECT_EQ( scsd.strataPortToIntf.find( p2 )->name(), "Ethernet1" );
   EXPECT_TRUE( scsd.unusedIntf.contains( Lumo::IntfId( "Ethernet2" ) ) );
   EXPECT_FALSE( scsd.intf.contains( Lumo::IntfId( "Ethernet2" ) ) );
   // A member that left the LAG is no longer mapped to it.
   EXPECT_FALSE( scsd.strataPortToLag.contains( p2 ) );
   EXPECT_TRUE( scsd.strataPortToLag.contains( p3 ) );
   EXPECT_EQ( scsd.strataLagToPort.find( Lumo::IntfId( "Port-Channel1" ) )->size(), 1u );

   EXPECT_EQ( runFile( "intf Ethernet1 remove\nlag Port-Channel1 remove\n" ), 0 );
   EXPECT_FALSE( scsd.strataPortToIntf.contains( p2 ) );
   EXPECT_FALSE( scsd.strataIntfToPortCache.contains( Lumo::IntfId( "Ethernet1" ) ) );
   EXPECT_TRUE( scsd.strataPortToLag.entries().empty() );
   EXPECT_TRUE( scsd.strataLagToPort.entries().empty() );
}

TEST_F( RunnerTest, ClientCommandsWriteTheRequestAndStatus ) {
   EXPECT_EQ( runFile( "tracer apply Ethernet7 cpu id pt:3\n"
                       "tracer withdraw Ethernet7\n"
                       "status version 4\n"
                       "expect status version 4\n"
                       "expect status state 0\n" ),
              0 );
   const auto & request = session_.host.requestConfig();
   EXPECT_EQ( request.version(), 2u );
   EXPECT_FALSE( request.enable() );
   EXPECT_FALSE( request.cpuPktProfileEnable() );
   EXPECT_EQ( request.requestId().name, "pt" ); // kept by the withdrawal without id
   EXPECT_EQ( session_.host.statusEntity()->name(), "Strata-sim" );
}

TEST_F( RunnerTest, MissingPluginIsAClearError ) {
   EXPECT_EQ( runFile( "agent start\n" ), 2 );
   EXPECT_NE( err_.str().find( "cannot load the plug-in (tried /nonexistent/libStrataPacketTracerSlice.so)" ),
              std::string::npos )
      << err_.str();
   EXPECT_FALSE( session_.host.started() );
}

TEST_F( RunnerTest, ShowJsonIsOneDocument ) {
   EXPECT_EQ( runFile( "chip port-tab 0 7 portVid=5\nshow port-tab 0 7 json\n" ), 0 );
   const std::string text = out_.str();
   EXPECT_EQ( text.front(), '{' );
   EXPECT_EQ( text.find( '\n' ), text.size() - 1 );
   EXPECT_NE( text.find( "{\"field\": \"portVid\", \"bits\": 12, \"value\": 5}" ), std::string::npos )
      << text;
}

} // namespace
