// --record: a session typed at the prompt, with the plug-in loaded, is
// written as a scenario; replaying that scenario in a fresh agent reaches the
// same chip tables, source-trunk-map requests, status and time: however late
// the time, and whatever a file's name holds.
#include "Flagpole/Toggle.h"
#include "Quill/ActivityLock.h"
#include "Quill/Clock.h"
#include "Quill/Trace.h"
#include "Shim/SimChip.h"
#include "Simulator.h"
#include "session/Recorder.h"

#include <gtest/gtest.h>

#include <mutex>
#include <sstream>
#include <string>

namespace {

// One agent process's worth of simulator, with the plug-in built alongside.
class Agent {
 public:
   Agent() {
      Shim::simChip().reset();
      Flagpole::togglesClear();
      Quill::traceDefaultLevelsIs( 0xFFFF );
   }
   // What the replay must reproduce, in words.
   std::string state() {
      std::lock_guard activity( Quill::activityLock() );
      Shim::SimChip & chip = Shim::simChip();
      Sim::Host & host = simulator_.session().host;
      std::ostringstream s;
      s << "portVid " << chip.entryField( 0, chip.LPORT_TABm(), 5, "portVid" ) << " vfpEnable "
        << chip.entryField( 0, chip.LPORT_TABm(), 5, "vfpEnable" ) << " register " << chip.cpuPktProfile2( 0 )
        << " request " << host.sourceTrunkMap().entry( 1, 7 ).value_or( 99 ) << " posted "
        << host.sourceTrunkMap().log().size() << " request version " << host.requestConfig().version() << " time "
        << Quill::System::currentTime();
      if( auto status = host.statusEntity() ) {
         s << " status " << unsigned( status->state() ) << " version " << status->version();
      }
      return s.str();
   }
   std::ostringstream out_, err_;
   Sim::Simulator simulator_{ out_, err_, true }; // the plug-in built with the simulator
   Sim::Runner & runner_ = simulator_.runner();
};

TEST( Recording, ATypedSessionReplaysToTheSameState ) {
   std::ostringstream recording;
   std::string typed;
   {
      Agent agent;
      Sim::Recorder recorder( recording, "recording", { "a note" }, { "trace ApiStrata all" } );
      agent.runner_.recorderIs( &recorder );
      // A file whose name would inject a command into the recording.
      std::istringstream file( "unit 0 modinfo 0x100\n" );
      agent.runner_.runFile( file, "x.scn\nchip cpu-pkt-profile-2 0 0x100" );
      std::istringstream keyboard(
         "module 1 unit 0\n"
         "intf Ethernet7 port 1/0/7   # the ingress port\n"
         "chip port-tab 0 7 vfpEnable=1 portVid=0x42\nchip bogus\nagent start\n"
         "tracer apply Ethernet7 cpu id \"pt 1:3\"\nshow lport-tab 0\n"
         "expect status state 4\nclock advance 2.5\nexpect status state 4\nhelp clock\n"
         "clock advance 1e300\nchip port-tab 0 7 portVid=0x99\ntracer withdraw Ethernet7 id pt:4\n"
         "tracer apply Ethernet7\n" );
      Sim::LineReader lines( keyboard );
      Sim::PlainLineSource typedLines( lines, nullptr );
      agent.runner_.runInteractive( typedLines );
      typed = agent.state();
      EXPECT_EQ( agent.runner_.exitStatus(), 2 ) << "the session went on after the malformed line, and says so";
   }
   ASSERT_EQ( typed.rfind( "portVid 153 vfpEnable 1 register 4 ", 0 ), 0u ) << typed; // the session did its work
   ASSERT_NE( typed.find( " request 5 " ), std::string::npos ) << typed;

   const std::string text = recording.str();
   // Header, then each command after its virtual time; what changed nothing
   // is a comment; the malformed line and the trailing comment are gone.
   EXPECT_EQ( text.rfind( "# A session of strata-agent-sim", 0 ), 0u ) << text;
   for( const char * part :
        { "# a note\ntrace ApiStrata all\n", "# [0.000000]\nintf Ethernet7 port 1/0/7\n",
          "tracer apply Ethernet7 cpu id \"pt 1:3\"\n", "# [0.000000]\n# show lport-tab 0\n",
          "# failed: expect status state 4\n", "# [2.500000]\nexpect status state 4\n", "# help clock\n" } ) {
      EXPECT_NE( text.find( part ), std::string::npos ) << part << " not in:\n" << text;
   }
   EXPECT_EQ( text.find( "bogus" ), std::string::npos ) << text;
   EXPECT_NE( text.find( "# --- from x.scn\\x0achip cpu-pkt-profile-2 0 0x100\n" ), std::string::npos ) << text;
   EXPECT_EQ( text.find( "ingress" ), std::string::npos ) << text;

   Agent replay;
   std::istringstream in( text );
   replay.runner_.runFile( in, "recorded.scn" );
   EXPECT_EQ( replay.runner_.exitStatus(), 0 ) << replay.err_.str();
   EXPECT_EQ( replay.err_.str(), "" );
   EXPECT_EQ( replay.state(), typed );
}

} // namespace
