// The scenario lexer and the value readers: the rules every scenario line
// goes through before any command sees it. (Unterminated quotes, unknown
// escapes and out-of-range module ids in a running file are shown by
// scenarios/language/malformed_*.scn.)
#include "language/Lexer.h"
#include "language/ScenarioError.h"
#include "language/Tokens.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using ::testing::ThrowsMessage;

std::vector< std::string >
texts( const std::string & line ) {
   std::vector< std::string > out;
   for( const Sim::Token & t : Sim::tokenize( line ) ) {
      out.push_back( t.text );
   }
   return out;
}

TEST( Lexer, SplitsOnBlanksDropsCommentsAndKeepsQuotedTextWhole ) {
   using Texts = std::vector< std::string >;
   EXPECT_EQ( texts( "  chip\tport-tab 0  7 # a comment" ), ( Texts{ "chip", "port-tab", "0", "7" } ) );
   EXPECT_TRUE( texts( "   # only a comment \"with a quote" ).empty() );
   EXPECT_EQ( texts( "module 1#remark\r" ), ( Texts{ "module", "1" } ) ) << "'#' glued to a word; CR is a blank";
   const auto tokens = Sim::tokenize( R"(expect trace "a # b \"c\" \\d" "")" );
   ASSERT_EQ( tokens.size(), 4u );
   EXPECT_EQ( tokens[ 2 ].text, R"(a # b "c" \d)" );
   EXPECT_EQ( tokens[ 2 ].column, 14u );
   EXPECT_TRUE( tokens[ 3 ].quoted && tokens[ 3 ].text.empty() );
   EXPECT_TRUE( tokens[ 1 ].is( "trace" ) );
   EXPECT_FALSE( Sim::tokenize( "\"json\"" )[ 0 ].is( "json" ) ) << "a quoted keyword is text";

   const std::pair< const char *, const char * > malformed[] = {
      { "intf \"a\\", "column 8: a backslash ends the line inside a quoted token" },
      { "intf ab\"c\"", "column 8: a quote inside a token (quote the whole token)" },
      { "intf \"ab\"c", "column 10: text right after a closing quote" }
   };
   for( const auto & [ line, error ] : malformed ) {
      EXPECT_THAT( [ & ] { Sim::tokenize( line ); }, ThrowsMessage< Sim::ScenarioError >( error ) );
   }
   EXPECT_NO_THROW( Sim::tokenize( "intf \"ab\"# fine" ) );
}

TEST( Tokens, NumbersPortsIdsAndLevelsWithinTheirRanges ) {
   EXPECT_EQ( Sim::parseUnsigned( "0XfF", "n", 255 ), 255u );
   EXPECT_EQ( Sim::parseUnsigned( "18446744073709551615", "n" ), ~U64( 0 ) );
   EXPECT_THAT( [] { Sim::parseUnsigned( "256", "unit", 255 ); },
                ThrowsMessage< Sim::ScenarioError >( "unit: 256 is out of range (0 to 255)" ) );
   for( const char * bad : { "", "0x", "-1", "1.5", "12a", " 1", "18446744073709551616", "+1" } ) {
      EXPECT_THROW( Sim::parseUnsigned( bad, "n" ), Sim::ScenarioError ) << bad;
   }
   EXPECT_EQ( Sim::parseSigned( "-0x10", "rc" ), -16 );
   for( const char * bad : { "-1", "inf", "nan", "0.5s" } ) {
      EXPECT_THROW( Sim::parseSeconds( bad, "s" ), Sim::ScenarioError ) << bad;
   }
   EXPECT_EQ( Sim::parsePort( "1/0x2/0x3FF", "port" ), ( StrataTypes::StrataPort{ 1, 2, 0x3FF, 0 } ) );
   EXPECT_THAT( [] { Sim::parsePort( "1/0/1024", "port" ); },
                ThrowsMessage< Sim::ScenarioError >( "port port number: 1024 is out of range (0 to 1023)" ) );
   const PacketTracer::RequestId id = Sim::parseRequestId( "trace:a:0x10", "id" );
   EXPECT_EQ( id.name, "trace:a" ) << "the number follows the last colon";
   EXPECT_EQ( id.number, 16u );
   EXPECT_THROW( Sim::parseRequestId( "t:4294967296", "id" ), Sim::ScenarioError );
   EXPECT_EQ( Sim::parseTraceLevels( "0,4,15" ), 0x8011 );
   EXPECT_EQ( Sim::parseTraceLevels( "all" ), 0xFFFF );
   EXPECT_THROW( Sim::parseTraceLevels( "0,,16" ), Sim::ScenarioError );
}

} // namespace
