// What `show` and `help` print, without the plug-in: chip listings in the
// diagnostic-shell style, SOURCE_TRUNK_MAP as the simulated agent wrote it,
// trace filters, JSON documents whose keys do not move with the data, and
// colour only where it is wanted.
#include "CommandTable.h"
#include "Flagpole/Toggle.h"
#include "Pallet/Pallet.h"
#include "Quill/Trace.h"
#include "Runner.h"
#include "Session.h"
#include "Shim/SimChip.h"
#include "Style.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

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
      const char c = json[ i ];
      if( c == '"' ) {
         std::string text;
         for( ++i; i < json.size() && json[ i ] != '"'; ++i ) {
            if( json[ i ] == '\\' ) {
               ++i;
            }
            text += json[ i ];
         }
         std::size_t next = json.find_first_not_of( ' ', i + 1 );
         if( depth == 1 && next != std::string::npos && json[ next ] == ':' ) {
            keys.insert( text );
         }
      } else if( c == '{' || c == '[' ) {
         ++depth;
      } else if( c == '}' || c == ']' ) {
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

   std::ostringstream out_;
   std::ostringstream err_;
   Sim::PluginLoader loader_{ "/nonexistent/libStrataPacketTracerSlice.so" };
   Sim::Session session_{ out_, err_, true, loader_ };
   Sim::CommandTable table_ = Sim::standardCommands();
   Sim::Runner runner_{ session_, table_ };
};

TEST_F( ShowTest, TableListingHasOnlyNonZeroEntriesWithOnlyNonZeroFields ) {
   run( "chip lport-tab 0 9 vfpEnable=1\n"
        "chip lport-tab 0 5 spare=0xBEEF portVid=0x123 outerTpidEnable=9\n"
        "chip lport-tab 0 7 portVid=0\n"  // written, but still all zero
        "chip lport-tab 1 3 cfmOnly=1\n" ); // another unit
   EXPECT_EQ( run( "show lport-tab 0\n" ),
              "LPORT_TAB of unit 0 (2 entries differ from zero):\n"
              "  LPORT_TAB.0[5]: <portVid=0x123,outerTpidEnable=9,spare=0xbeef>\n"
              "  LPORT_TAB.0[9]: <vfpEnable=1>\n" );
   EXPECT_EQ( run( "show lport-tab 0 json\n" ),
              "{\"show\": \"lport-tab\", \"unit\": 0, \"nonZero\": 2, \"entries\": ["
              "{\"index\": 5, \"fields\": {\"portVid\": 291, \"outerTpidEnable\": 9, \"spare\": 48879}}, "
              "{\"index\": 9, \"fields\": {\"vfpEnable\": 1}}]}\n" );
   EXPECT_EQ( run( "show port-tab 2\n" ), "PORT_TAB of unit 2 (0 entries differ from zero):\n  (none)\n" );
   // One entry: every field, zero or not, with its width.
   const std::string entry = run( "show lport-tab 0 5\n" );
   EXPECT_EQ( entry.rfind( "LPORT_TAB.0[5]:\n  field ", 0 ), 0u ) << entry;
   for( const std::string & field : Shim::simChip().fieldNames( Shim::simChip().LPORT_TABm() ) ) {
      EXPECT_NE( entry.find( "  " + field + " " ), std::string::npos ) << field;
   }
   EXPECT_NE( entry.find( "portVid                12    0x123\n" ), std::string::npos ) << entry;
}

TEST_F( ShowTest, SourceTrunkMapIsWhatTheAgentWroteOnEachUnit ) {
   // A request directory as the plug-in would post into, watched by the
   // simulated agent.
   auto dir = Pallet::make< StrataCentral::PortTabWriteRequestDir >( "requests" );
   session_.host.tableManager().watch( dir );
   run( "unit 0 modinfo 0x100\nunit 3 modinfo 0x300\nmodule 1 unit 0\n" );
   auto post = [ & ]( U16 modInfo, U16 modId, U16 port, U32 value ) {
      dir->postRequest( { modInfo, StrataCentral::ModId( modId ), StrataCentral::U10( port ), 2 }, value );
   };
   post( 0x100, 1, 7, 5 );  // module 1 is on unit 0
   post( 0x300, 2, 9, 1 );  // module 2 is placed nowhere: its module information says unit 3
   post( 0x100, 1, 8, 5 );
   post( 0x100, 1, 8, 0 );  // back to the default profile: written, not listed
   post( 0x999, 4, 1, 5 );  // neither module nor module information known: nowhere
   EXPECT_EQ( run( "show source-trunk-map 0\n" ),
              "SOURCE_TRUNK_MAP of unit 0 (1 entry differs from zero; 2 written by requests):\n"
              "  modId  port  profile  user  modInfo\n"
              "  1      7     5              0x100\n" );
   EXPECT_EQ( run( "show source-trunk-map 3 json\n" ),
              "{\"show\": \"source-trunk-map\", \"unit\": 3, \"written\": 1, \"nonZero\": 1, "
              "\"entries\": [{\"modId\": 2, \"port\": 9, \"profile\": 1, \"user\": \"\", "
              "\"modInfo\": 768}]}\n" );
   EXPECT_EQ( session_.host.tableManager().unplaced(), 1u );
   // Not a chip unit: the scenario's mistake.
   std::istringstream bad( "show source-trunk-map 8\n" );
   EXPECT_FALSE( runner_.runFile( bad, "t.scn" ) );
   EXPECT_NE( err_.str().find( "t.scn:1: show source-trunk-map: unit 8 is not a chip unit" ),
              std::string::npos )
      << err_.str();
   session_.host.tableManager().watch( nullptr );
}

TEST_F( ShowTest, TraceFiltersByHandleLevelAndText ) {
   const Quill::TraceHandle one( "ShowTestOne", false ), two( "ShowTestTwo", false );
   Quill::traceLevelsIs( "ShowTestOne", 0xFFFF );
   Quill::traceLevelsIs( "ShowTestTwo", 0xFFFF );
   QTRACE( one, 0, 1, "first" ) << "alpha";
   QTRACE( one, 4, 2, "second" ) << "beta";
   QTRACE( two, 4, 3, "third" ) << "alpha beta";
   QTRACE( two, 8, 4, "fourth" ) << "gamma";
   auto count = [ & ]( const std::string & filter ) {
      const std::string json = run( "show trace " + filter + " json\n" );
      const std::size_t at = json.find( "\"count\": " );
      return at == std::string::npos ? -1 : std::stoi( json.substr( at + 9 ) );
   };
   EXPECT_EQ( count( "" ), 4 );
   EXPECT_EQ( count( "handle ShowTestOne" ), 2 );
   EXPECT_EQ( count( "level 4" ), 2 );
   EXPECT_EQ( count( "level 0,8" ), 2 );
   EXPECT_EQ( count( "text alpha" ), 2 );
   EXPECT_EQ( count( "handle ShowTestTwo level 4 text \"alpha beta\"" ), 1 );
   EXPECT_EQ( count( "handle Nobody" ), 0 );
   // Text: the lines as traced; JSON: their parts.
   EXPECT_NE( run( "show trace text gamma\n" ).find( "  [0.000000] ShowTestTwo/8 " ), std::string::npos );
   EXPECT_NE( run( "show trace level 8 json\n" )
                 .find( "{\"time\": 0, \"handle\": \"ShowTestTwo\", \"level\": 8, \"file\": " ),
              std::string::npos );
   std::istringstream bad( "show trace colour red\n" );
   EXPECT_FALSE( runner_.runFile( bad, "t.scn" ) );
   EXPECT_NE( err_.str().find( "show trace: unknown filter 'colour'" ), std::string::npos ) << err_.str();
}

TEST_F( ShowTest, EveryShowIsOneJsonDocumentWhoseKeysDoNotMoveWithTheData ) {
   const char * shows[] = { "agent", "toggles", "trace", "objects", "requests", "request",
                            "status", "sdk", "slices", "slice 1", "mounter", "root",
                            "cpu-pkt-profile-2 0", "lport-tab 0",
                            "lport-tab 0 5", "port-tab 0", "port-tab 0 7", "source-trunk-map 0" };
   std::map< std::string, std::set< std::string > > before;
   for( const char * show : shows ) {
      const std::string json = run( std::string( "show " ) + show + " json\n" );
      EXPECT_EQ( json.front(), '{' ) << show;
      EXPECT_EQ( json.find( '\n' ), json.size() - 1 ) << show << ": " << json;
      before[ show ] = topLevelKeys( json );
      EXPECT_TRUE( before[ show ].count( "show" ) ) << show;
   }
   // Data everywhere: presets, toggles, a request, a status entity (which did
   // not exist before), trace lines.
   const Quill::TraceHandle handle( "ShowTestJson", false );
   Quill::traceLevelsIs( "ShowTestJson", 0xFFFF );
   QTRACE( handle, 0, 1, "somewhere" ) << "a line";
   run( "chip lport-tab 0 5 portVid=7\nchip port-tab 0 7 vfpEnable=1\n"
        "chip cpu-pkt-profile-2 0 0x4\ntoggle StrataCfmOnTH3 on\n"
        "tracer apply Ethernet7 cpu\nstatus version 3\n" );
   for( const char * show : shows ) {
      EXPECT_EQ( topLevelKeys( run( std::string( "show " ) + show + " json\n" ) ), before[ show ] )
         << show;
   }
}

TEST_F( ShowTest, HelpListsEveryCommandAndTellsMoreAboutOne ) {
   const std::string all = run( "help\n" );
   for( const std::string & word : table_.commandWords() ) {
      if( word != "show" && word != "expect" && word != "help" ) {
         EXPECT_TRUE( all.find( "\n  " + word + " " ) != std::string::npos ||
                      all.find( "\n  " + word + "\n" ) != std::string::npos )
            << word;
      }
   }
   for( const std::string & word : table_.wordsAfter( "show" ) ) {
      EXPECT_NE( all.find( "  show " + word ), std::string::npos ) << word;
   }
   for( const std::string & word : table_.wordsAfter( "expect" ) ) {
      EXPECT_NE( all.find( "  expect " + word + " " ), std::string::npos ) << word;
   }
   // One command: each of its forms, then what it does.
   const std::string chip = run( "help chip\n" );
   EXPECT_EQ( chip.rfind( "  chip port-tab UNIT PORT FIELD=VALUE...\n"
                          "  chip lport-tab UNIT INDEX FIELD=VALUE...\n"
                          "  chip cpu-pkt-profile-2 UNIT VALUE\n"
                          "  chip fail OP MEMORY [unit U] [index I] rc CODE\n      Presets ",
                          0 ),
              0u )
      << chip;
   EXPECT_EQ( run( "help show source-trunk-map\n" ).rfind( "  show source-trunk-map UNIT\n      ", 0 ), 0u );
   EXPECT_NE( run( "help expect\n" ).find( "  expect trace-count \"TEXT\" N\n" ), std::string::npos );
   EXPECT_NE( run( "help help\n" ).find( "help [COMMAND]" ), std::string::npos );
   // The words completion offers after help are the commands.
   EXPECT_EQ( table_.wordsAfter( "help" ), table_.commandWords() );
   std::istringstream bad( "help bogus\n" );
   EXPECT_FALSE( runner_.runFile( bad, "t.scn" ) );
   EXPECT_EQ( err_.str(), "t.scn:1: help: no command 'bogus' (try help)\n" );
}

TEST( Colour, OnlyForATerminalWithoutNoColor ) {
   const int master = ::posix_openpt( O_RDWR | O_NOCTTY );
   ASSERT_GE( master, 0 );
   ASSERT_EQ( ::grantpt( master ), 0 );
   ASSERT_EQ( ::unlockpt( master ), 0 );
   const int terminal = ::open( ::ptsname( master ), O_RDWR | O_NOCTTY );
   ASSERT_GE( terminal, 0 );
   int pipeEnds[ 2 ];
   ASSERT_EQ( ::pipe( pipeEnds ), 0 );

   ::unsetenv( "NO_COLOR" );
   EXPECT_TRUE( Sim::colourWanted( terminal ) );
   EXPECT_FALSE( Sim::colourWanted( pipeEnds[ 1 ] ) );
   ::setenv( "NO_COLOR", "", 1 ); // empty: not set, by the convention
   EXPECT_TRUE( Sim::colourWanted( terminal ) );
   ::setenv( "NO_COLOR", "1", 1 );
   EXPECT_FALSE( Sim::colourWanted( terminal ) );
   ::unsetenv( "NO_COLOR" );
   for( int fd : { master, terminal, pipeEnds[ 0 ], pipeEnds[ 1 ] } ) {
      ::close( fd );
   }
}

TEST( Colour, PaintsShowsAndResultsButNotThePlainText ) {
   Shim::simChip().reset();
   for( const bool colour : { false, true } ) {
      std::ostringstream out, err;
      Sim::PluginLoader loader( "/nonexistent/libStrataPacketTracerSlice.so" );
      Sim::Session session( out, err, true, loader, Sim::Style( colour ) );
      const Sim::CommandTable table = Sim::standardCommands();
      Sim::Runner runner( session, table );
      std::istringstream in( "chip port-tab 0 7 portVid=0x123\nshow port-tab 0 7\n"
                             "expect port-tab 0 7 portVid=1\nshow port-tab 0 7 json\n" );
      runner.runFile( in, "t.scn" );
      runner.finish();
      const std::string text = out.str();
      EXPECT_EQ( text.find( "\x1b[" ) != std::string::npos, colour ) << text;
      // Coloured or not, the JSON stays plain and the columns stay aligned.
      EXPECT_NE( text.find( "{\"field\": \"portVid\", \"bits\": 12, \"value\": 291}" ), std::string::npos );
      if( colour ) {
         EXPECT_NE( text.find( "  portVid                12    \x1b[36m0x123\x1b[0m\n" ), std::string::npos )
            << text;
         EXPECT_NE( text.find( "\x1b[1;31mt.scn:3: expected" ), std::string::npos ) << text;
      }
      EXPECT_EQ( err.str(), "" );
   }
}

} // namespace
