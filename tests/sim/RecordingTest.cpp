// --record: a session typed at the prompt, with the plug-in loaded, is
// written as a scenario; replaying that scenario in a fresh agent reaches the
// same chip tables, source-trunk-map requests, status and time.
#include "CommandTable.h"
#include "Flagpole/Toggle.h"
#include "Quill/ActivityLock.h"
#include "Quill/Clock.h"
#include "Quill/Trace.h"
#include "Recorder.h"
#include "Runner.h"
#include "Session.h"
#include "Shim/SimChip.h"

#include <gtest/gtest.h>

#include <mutex>
#include <optional>
#include <sstream>
#include <string>

namespace {

// What the replay must reproduce.
struct AgentState {
   U32 portVid = 0;
   U32 vfpEnable = 0;
   U32 cpuPktProfile2 = 0;
   std::optional< U32 > request;
   std::size_t requestsPosted = 0;
   unsigned statusState = 0;
   U32 statusVersion = 0;
   U32 requestVersion = 0;
   double time = 0;

   bool operator==( const AgentState & ) const = default;
};

// One agent process's worth of simulator, with the plug-in built alongside.
class Agent {
 public:
   Agent() : session_( out_, err_, true, loader_ ) {}
   ~Agent() {
      // The host stops the agent as the simulator does at exit: on the
      // activity thread.
      std::lock_guard activity( Quill::activityLock() );
      if( session_.host.started() ) {
         session_.host.stop();
      }
   }
   Sim::Runner & runner() { return runner_; }
   std::string errors() const { return err_.str(); }

   AgentState state() {
      std::lock_guard activity( Quill::activityLock() );
      Shim::SimChip & chip = Shim::simChip();
      AgentState s;
      s.portVid = chip.entryField( 0, chip.LPORT_TABm(), 5, "portVid" );
      s.vfpEnable = chip.entryField( 0, chip.LPORT_TABm(), 5, "vfpEnable" );
      s.cpuPktProfile2 = chip.cpuPktProfile2( 0 );
      s.request = session_.host.tableManager().entry( 1, 7 );
      s.requestsPosted = session_.host.tableManager().log().size();
      if( auto status = session_.host.statusEntity() ) {
         s.statusState = unsigned( status->state() );
         s.statusVersion = status->version();
      }
      s.requestVersion = session_.host.requestConfig().version();
      s.time = Quill::System::currentTime();
      return s;
   }

 private:
   std::ostringstream out_;
   std::ostringstream err_;
   Sim::PluginLoader loader_; // the plug-in built with the simulator
   Sim::Session session_;
   Sim::CommandTable table_ = Sim::standardCommands();
   Sim::Runner runner_{ session_, table_ };
};

class RecordingTest : public ::testing::Test {
 protected:
   void SetUp() override {
      Shim::simChip().reset();
      Flagpole::togglesClear();
      Quill::traceDefaultLevelsIs( 0xFFFF );
   }

   // Replays `recording` in a fresh agent and chip; returns the exit status.
   static int replay( const std::string & recording, AgentState & reached, std::string & errors ) {
      Shim::simChip().reset();
      Agent agent;
      std::istringstream in( recording );
      agent.runner().runFile( in, "recorded.scn" );
      reached = agent.state();
      errors = agent.errors();
      return agent.runner().exitStatus();
   }
};

TEST_F( RecordingTest, ATypedSessionReplaysToTheSameState ) {
   std::ostringstream recording;
   AgentState typed;
   {
      Agent agent;
      Sim::Recorder recorder( recording, { "a note" }, { "trace ApiStrata all" } );
      agent.runner().recorderIs( &recorder );
      std::istringstream keyboard( "unit 0 modinfo 0x100\n"
                                   "module 1 unit 0\n"
                                   "intf Ethernet7 port 1/0/7   # the ingress port\n"
                                   "chip port-tab 0 7 vfpEnable=1 portVid=0x42\n"
                                   "chip bogus\n"
                                   "agent start\n"
                                   "tracer apply Ethernet7 cpu id \"pt 1:3\"\n"
                                   "show lport-tab 0\n"
                                   "expect status state 4\n"
                                   "clock advance 2.5\n"
                                   "expect status state 4\n"
                                   "help clock\n"
                                   "chip port-tab 0 7 portVid=0x99\n"
                                   "tracer withdraw Ethernet7 id pt:4\n"
                                   "tracer apply Ethernet7\n" );
      agent.runner().runInteractive( keyboard, false );
      typed = agent.state();
      EXPECT_EQ( agent.runner().exitStatus(), 1 ); // the early expectation failed
   }
   ASSERT_EQ( typed.portVid, 0x99u ); // the session did what it was meant to
   ASSERT_EQ( typed.request, 5u );

   const std::string text = recording.str();
   // Header, then each command after its virtual time; what changed nothing
   // is a comment; the malformed line and the trailing comment are gone.
   EXPECT_EQ( text.rfind( "# A session of strata-agent-sim", 0 ), 0u ) << text;
   EXPECT_NE( text.find( "# a note\ntrace ApiStrata all\n" ), std::string::npos ) << text;
   EXPECT_NE( text.find( "# [0.000000]\nintf Ethernet7 port 1/0/7\n" ), std::string::npos ) << text;
   EXPECT_NE( text.find( "tracer apply Ethernet7 cpu id \"pt 1:3\"\n" ), std::string::npos ) << text;
   EXPECT_NE( text.find( "# [0.000000]\n# show lport-tab 0\n" ), std::string::npos ) << text;
   EXPECT_NE( text.find( "# failed: expect status state 4\n" ), std::string::npos ) << text;
   EXPECT_NE( text.find( "# [2.500000]\nexpect status state 4\n" ), std::string::npos ) << text;
   EXPECT_NE( text.find( "# help clock\n" ), std::string::npos ) << text;
   EXPECT_EQ( text.find( "bogus" ), std::string::npos ) << text;
   EXPECT_EQ( text.find( "ingress" ), std::string::npos ) << text;

   AgentState replayed;
   std::string errors;
   EXPECT_EQ( replay( text, replayed, errors ), 0 ) << errors;
   EXPECT_EQ( errors, "" );
   EXPECT_EQ( replayed, typed );
}

TEST_F( RecordingTest, ACommandThatRaisedIsReplayedForWhatItChanged ) {
   std::ostringstream recording;
   AgentState typed;
   {
      Agent agent;
      Sim::Recorder recorder( recording, {}, {} );
      agent.runner().recorderIs( &recorder );
      // Module id 99 is beyond the chip's range: the plug-in raises while it
      // handles the request, after the request's version went up.
      std::istringstream keyboard( "unit 0 modinfo 0x100\n"
                                   "module 1 unit 0\n"
                                   "intf Far port 99/0/7\n"
                                   "agent start\n"
                                   "tracer apply Far\n" );
      agent.runner().runInteractive( keyboard, false );
      typed = agent.state();
      ASSERT_NE( agent.errors().find( "tracer apply Far raised" ), std::string::npos )
         << agent.errors();
   }
   EXPECT_NE( recording.str().find( "the replay will too.\ntracer apply Far\n" ), std::string::npos )
      << recording.str();
   AgentState replayed;
   std::string errors;
   EXPECT_EQ( replay( recording.str(), replayed, errors ), 1 ); // raises again
   EXPECT_NE( errors.find( "tracer apply Far raised" ), std::string::npos ) << errors;
   EXPECT_EQ( replayed.requestVersion, 1u );
   EXPECT_EQ( replayed, typed );
}

} // namespace
