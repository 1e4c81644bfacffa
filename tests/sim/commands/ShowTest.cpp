// What `show ... json` prints, without the plug-in: one document per show,
// whose keys do not move with the data.
#include "Flagpole/Toggle.h"
#include "Quill/Trace.h"
#include "Shim/SimChip.h"
#include "Simulator.h"
#include "language/Printable.h"

#include <gtest/gtest.h>

#include <algorithm>
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
      } else {
         depth += ( json[ i ] == '{' || json[ i ] == '[' ) - ( json[ i ] == '}' || json[ i ] == ']' );
      }
   }
   return keys;
}

TEST( Show, EveryShowIsOneJsonDocumentWhoseKeysDoNotMoveWithTheData ) {
   std::ostringstream out, err;
   Sim::Simulator simulator( out, err, true, "/nonexistent/libStrataPacketTracerSlice.so" );
   Shim::simChip().reset();
   Flagpole::togglesClear();
   Quill::traceDefaultLevelsIs( 0xFFFF );
   // Runs `text` as a file; returns what it printed on standard output.
   const auto run = [ & ]( const std::string & text ) {
      out.str( "" );
      EXPECT_TRUE( simulator.runText( text, "t.scn" ) ) << err.str();
      return out.str();
   };
   const char * shows[] = { "agent",
                            "toggles",
                            "trace",
                            "objects",
                            "requests",
                            "request",
                            "status",
                            "sdk",
                            "slices",
                            "slice 1",
                            "mounter",
                            "root",
                            "cpu-pkt-profile-2 0",
                            "lport-tab 0",
                            "lport-tab 0 5",
                            "port-tab 0",
                            "port-tab 0 7",
                            "source-trunk-map 0",
                            "audit",
                            "audit 0" };
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
   // A name that is partly no UTF-8 still makes valid JSON.
   run( "chip lport-tab 0 5 portVid=7\nchip port-tab 0 7 vfpEnable=1\nchip cpu-pkt-profile-2 0 0x4\n"
        "toggle StrataCfmOnTH3 on\ntracer apply \"E\xc3\xa9\xff\x01\" cpu\nstatus version 3\n" );
   for( const char * show : shows ) {
      const std::string json = run( std::string( "show " ) + show + " json\n" );
      EXPECT_EQ( topLevelKeys( json ), before[ show ] ) << show;
      for( std::size_t at = 0; at < json.size();
           at += std::max< std::size_t >( 1, Sim::utf8SequenceLength( json.substr( at ) ) ) ) {
         ASSERT_NE( Sim::utf8SequenceLength( json.substr( at ) ), 0u ) << show << " at " << at << ": " << json;
      }
   }
   EXPECT_NE( run( "show request json\n" ).find( "\"intfId\": \"E\xc3\xa9\\\\xff\\u0001\"" ), std::string::npos );
}

// The capture keeps the last lines of each handle and level; what it dropped
// is said, and no expectation holds on what it can no longer see.
TEST( TraceCapture, KeepsTheLastLinesOfEachHandleAndLevelAndSaysWhatWentBeforeThem ) {
   std::ostringstream out, err;
   Sim::Simulator simulator( out, err, true, "/nonexistent/libStrataPacketTracerSlice.so", Sim::Style(), 2 );
   const Quill::TraceHandle handle( "CapTest", false );
   Quill::traceLevelsIs( "CapTest", 0xFFFF );
   QTRACE( handle, 1, 1, "f" ) << "busy one";
   QTRACE( handle, 2, 2, "f" ) << "quiet";
   QTRACE( handle, 1, 1, "f" ) << "busy two";
   QTRACE( handle, 1, 1, "f" ) << "busy three";
   EXPECT_TRUE( simulator.runText( "show trace handle CapTest level 1,2\nexpect trace \"busy three\"\n"
                                   "expect trace \"quiet\"\nexpect trace-count \"busy\" 2\nexpect no-trace \"never\"\n"
                                   "clear\nexpect no-trace \"never\"\n",
                                   "t.scn" ) )
      << err.str();
   EXPECT_NE( out.str().find( "lines:   3\ndropped: 1 older line(s) were dropped since clear (the last 2 of each "
                              "handle and level are kept: CapTest/1 lost 1)\n" ),
              std::string::npos )
      << out.str();
   EXPECT_NE( out.str().find( "f: quiet\n  [0.000000] CapTest/1 " ), std::string::npos ) << out.str();
   EXPECT_EQ( simulator.session().checks.passed(), 3u ) << out.str();
   for( const char * failed : { "t.scn:4: expected trace-count \"busy\" 2, got 2; 1 older",
                                "t.scn:5: expected no-trace "
                                "\"never\", got no such line among those kept; 1 older" } ) {
      EXPECT_NE( out.str().find( failed ), std::string::npos ) << failed << " not in " << out.str();
   }
}

} // namespace
