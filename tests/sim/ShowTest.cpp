// What `show ... json` prints, without the plug-in: one document per show,
// whose keys do not move with the data.
#include "CommandTable.h"
#include "Flagpole/Toggle.h"
#include "Quill/Trace.h"
#include "Runner.h"
#include "Session.h"
#include "Shim/SimChip.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>

namespace {

// The member names of a JSON document's outermost object.
std::set< std::string >
topLevelKeys( const std::string & json ) {
   std::set< std::string > keys;
   int depth = 0;
   for( std::size_t i = 0; i < json.size(); ++i ) {
      if( json[ i ] == '"' ) {
         std::string text;
         for( ++i; i < json.size() && json[ i ] != '"'; ++i ) {
            i += json[ i ] == '\\';
            text += json[ i ];
         }
         if( depth == 1 && json.compare( i + 1, 1, ":" ) == 0 ) {
            keys.insert( text );
         }
      } else if( json[ i ] == '{' || json[ i ] == '[' ) {
         ++depth;
      } else if( json[ i ] == '}' || json[ i ] == ']' ) {
         --depth;
      }
   }
   return keys;
}

class ShowTest : public ::testing::Test {
 protected:
   void SetUp() override {
      Shim::simChip().reset();
      Flagpole::togglesClear();
      Quill::traceDefaultLevelsIs( 0xFFFF );
   }
   // Runs `text` as a file; returns what it printed on standard output.
   std::string run( const std::string & text ) {
      out_.str( "" );
      std::istringstream in( text );
      EXPECT_TRUE( runner_.runFile( in, "t.scn" ) ) << err_.str();
      return out_.str();
   }
   std::ostringstream out_, err_;
   Sim::PluginLoader loader_{ "/nonexistent/libStrataPacketTracerSlice.so" };
   Sim::Session session_{ out_, err_, true, loader_ };
   Sim::CommandTable table_ = Sim::standardCommands();
   Sim::Runner runner_{ session_, table_ };
};

TEST_F( ShowTest, EveryShowIsOneJsonDocumentWhoseKeysDoNotMoveWithTheData ) {
   const char * shows[] = { "agent", "toggles", "trace", "objects", "requests", "request", "status", "sdk", "slices",
                            "slice 1", "mounter", "root", "cpu-pkt-profile-2 0", "lport-tab 0", "lport-tab 0 5",
                            "port-tab 0", "port-tab 0 7", "source-trunk-map 0", "audit", "audit 0" };
   std::map< std::string, std::set< std::string > > before;
   for( const char * show : shows ) {
      const std::string json = run( std::string( "show " ) + show + " json\n" );
      EXPECT_EQ( json.find( '\n' ), json.size() - 1 ) << show << ": " << json;
      before[ show ] = topLevelKeys( json );
      EXPECT_TRUE( before[ show ].count( "show" ) ) << show << ": " << json;
   }
   // Data everywhere: presets, toggles, a request, a status entity (which did
   // not exist before), trace lines.
   const Quill::TraceHandle handle( "ShowTestJson", false );
   Quill::traceLevelsIs( "ShowTestJson", 0xFFFF );
   QTRACE( handle, 0, 1, "somewhere" ) << "a line";
   run( "chip lport-tab 0 5 portVid=7\nchip port-tab 0 7 vfpEnable=1\nchip cpu-pkt-profile-2 0 0x4\n"
        "toggle StrataCfmOnTH3 on\ntracer apply Ethernet7 cpu\nstatus version 3\n" );
   for( const char * show : shows ) {
      EXPECT_EQ( topLevelKeys( run( std::string( "show " ) + show + " json\n" ) ), before[ show ] ) << show;
   }
}

} // namespace
