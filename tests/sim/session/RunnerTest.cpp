// Bad input, line by line: a malformed line, a name the plug-in or the host
// does not know, input that is no scenario text. Each stops a file's run at
// its line with exit status 2 and "FILE:LINE: what is wrong" (the end-to-end
// run of such a file is scenarios/language/malformed_quote.scn).
#include "Flagpole/Toggle.h"
#include "Quill/Clock.h"
#include "Shim/SimChip.h"
#include "Simulator.h"
#include "session/TraceCapture.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

struct Outcome {
   int status;
   std::string out;
   std::string err;
};

// Runs `text` as the file t.scn in a fresh session of this process, with the
// plug-in built alongside unless `plugin` names another.
Outcome
runScenario( const std::string & text, const std::string & plugin = "" ) {
   Shim::simChip().reset();
   Flagpole::togglesClear();
   Quill::System::currentTimeIs( 0 );
   Sim::traceAllLevelsOn();
   std::ostringstream out, err;
   Sim::Simulator simulator( out, err, true, plugin );
   simulator.runText( text, "t.scn" );
   simulator.runner().finish();
   simulator.stopAgent();
   return { simulator.runner().exitStatus(), out.str(), err.str() };
}

constexpr const char * agentWithSlice = "unit 0 modinfo 0x100\nmodule 1 unit 0\nagent start\n";

TEST( Runner, BadInputStopsTheRunAtItsLineSayingWhatIsWrong ) {
   const struct {
      std::string text;
      std::string message;     // what standard error must hold
      std::string plugin = {}; // none: the plug-in built alongside
   } cases[] = {
      // A misspelt attribute, checked before anything loaded the plug-in.
      { "expect slice 3 timeOut 2",
        "t.scn:1: Strata::StrataPacketTracerSliceSm has no attribute or operation 'timeOut' (did you mean timeout?)" },
      // Malformed lines.
      { "frobnicate the switch\nexpect sdk any 0", "t.scn:1: unknown command 'frobnicate' (try help)" },
      { "intf \"Ethernet \\\"1\\\" \\\\ ok\"\nexpect trace \"line\\n\"", "t.scn:2: column 19: unknown escape \\n" },
      { "module 64 unit 0\nmodule 65 unit 0", "t.scn:2: module id: 65 is out of range (0 to 64)" },
      { "chip port-tab 8 1 vfpEnable=1", "t.scn:1: chip port-tab: " },
      { "chip lport-tab 0 5 vlan=1", "t.scn:1: lport-tab has no field 'vlan' (fields: vfpEnable" },
      { "chip fail soc_mem_write LPORT_TABm unit 0 index 5 rc 0", "is not a failure" },
      { "chip fail soc_mem_write LPORT_TABm unit 0 unit 1 rc -1", "t.scn:1: chip fail: unit given twice" },
      { "intf Ethernet1 port 1/0/1 port 1/0/2", "t.scn:1: intf: port given twice" },
      { "tracer apply Ethernet1 cpu cpu", "t.scn:1: tracer: cpu given twice" },
      { "show trace text a text b", "t.scn:1: show trace: text given twice" },
      { "context first\nagent start\ncontext second",
        "t.scn:3: context: the agent is started; the context name can only change before agent start" },
      { std::string( agentWithSlice ) + "call slice 1 isAllocatedSrcTrunkIdx 0x100000000",
        "t.scn:4: call slice 1 isAllocatedSrcTrunkIdx argument idx (U32): 0x100000000 is out of range" },
      { "agent start\nset slice 9 timeout 1", "t.scn:2: set slice 9 timeout: no slice for module 9" },
      // What can never be set is refused, not counted as a failed check.
      { std::string( agentWithSlice ) + "set root strataPacketTracerSliceSm null",
        "t.scn:4: set root strataPacketTracerSliceSm: collection attributes cannot be set" },
      { std::string( agentWithSlice ) + "set slice 1 srcTrunkBitmap null",
        "t.scn:4: set slice 1 srcTrunkBitmap: instantiating attributes cannot be set" },
      // Names nobody knows, whether or not the agent runs.
      { "trace ApiStrat none", "t.scn:1: unknown trace handle 'ApiStrat' (did you mean ApiStrata?)" },
      { "show trace handle Bogus", "t.scn:1: unknown trace handle 'Bogus' (known: StrataPacketTracerSliceMounter" },
      { "expect live Strata::StrataPacketTracerSliceSM 0",
        "t.scn:1: live: unknown type 'Strata::StrataPacketTracerSliceSM' (did you mean "
        "Strata::StrataPacketTracerSliceSm?)" },
      { "expect toggle-reads StrataCfmOnTh3 0",
        "t.scn:1: unknown toggle 'StrataCfmOnTh3' (did you mean StrataCfmOnTH3?)" },
      { "toggle Bogus on", "t.scn:1: unknown toggle 'Bogus' (known: StrataCfmOnTH3, StrataCfmOnTH3Masquerade)" },
      { "agent start\nagent stop\nexpect slice 3 timeOut 2", "t.scn:3: Strata::StrataPacketTracerSliceSm has no" },
      // Bytes that do not print are shown as read, not cut short.
      { std::string( "expect sdk any 0\nfro\0b", 22 ), "t.scn:2: unknown command 'fro\\x00b' (try help)" },
      { "frob\xff\x1b[2J", "t.scn:1: unknown command 'frob\\xff\\x1b[2J' (try help)" },
      // Input that is no scenario text.
      { "expect sdk any 0\n" + std::string( Sim::LineReader::maxLineBytes + 1, 'x' ),
        "t.scn:2: a line longer than 65536 bytes" },
      { "agent start", "cannot load the plug-in (tried /nonexistent/libStrataPacketTracerSlice.so)",
        "/nonexistent/libStrataPacketTracerSlice.so" },
   };
   for( const auto & c : cases ) {
      const Outcome outcome = runScenario( c.text, c.plugin );
      EXPECT_EQ( outcome.status, 2 ) << c.text.substr( 0, 200 ) << "\n" << outcome.out << outcome.err;
      EXPECT_NE( outcome.err.find( c.message ), std::string::npos ) << c.message << " not in: " << outcome.err;
   }
}

TEST( Runner, GoodInputIsNotTakenForBad ) {
   // A byte-order mark starts a file, not its first command (only that one).
   const Outcome marked = runScenario( "\xEF\xBB\xBFunit 0 modinfo 0x100\n\xEF\xBB\xBFunit 1 modinfo 0x100\n" );
   EXPECT_NE( marked.err.find( "t.scn:2: unknown command '\xEF\xBB\xBFunit'" ), std::string::npos ) << marked.err;
   EXPECT_EQ( marked.err.find( "t.scn:1" ), std::string::npos ) << marked.err;
   // Types the host and the plug-in make are known before any was made.
   const Outcome live = runScenario( "expect live Cairn::MountGroup 0\n"
                                     "expect live Strata::StrataPacketTracerSliceSm::QuillClock 0\n" );
   EXPECT_EQ( live.status, 0 ) << live.err;
}

} // namespace
