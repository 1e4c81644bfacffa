// The scenario lexer and the value readers: the rules every scenario line
// goes through before any command sees it.
#include "Lexer.h"
#include "ScenarioError.h"
#include "Tokens.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector< std::string >
texts( const std::string & line ) {
   std::vector< std::string > out;
   for( const Sim::Token & t : Sim::tokenize( line ) ) {
      out.push_back( t.text );
   }
   return out;
}

std::string
errorOf( const std::string & line ) {
   try {
      Sim::tokenize( line );
   } catch( const Sim::ScenarioError & e ) {
      return e.what();
   }
   return "no error";
}

TEST( Lexer, SplitsOnBlanksAndDropsComments ) {
   EXPECT_EQ( texts( "  chip\tport-tab 0  7 vfpEnable=1 # a comment" ),
              ( std::vector< std::string >{ "chip", "port-tab", "0", "7", "vfpEnable=1" } ) );
   EXPECT_TRUE( texts( "" ).empty() );
   EXPECT_TRUE( texts( "   # only a comment \"with a quote" ).empty() );
   // '#' glued to a word still starts the comment.
   EXPECT_EQ( texts( "module 1#remark" ), ( std::vector< std::string >{ "module", "1" } ) );
   // Windows line ends are blanks.
   EXPECT_EQ( texts( "clear\r" ), ( std::vector< std::string >{ "clear" } ) );
}

TEST( Lexer, QuotedTokensKeepBlanksHashesAndEscapes ) {
   const auto tokens = Sim::tokenize( R"(expect trace "a # b \"c\" \\d" "")" );
   ASSERT_EQ( tokens.size(), 4u );
   EXPECT_EQ( tokens[ 2 ].text, R"(a # b "c" \d)" );
   EXPECT_TRUE( tokens[ 2 ].quoted );
   EXPECT_EQ( tokens[ 3 ].text, "" );
   EXPECT_TRUE( tokens[ 3 ].quoted );
   EXPECT_EQ( tokens[ 2 ].column, 14u );
   // A quoted keyword is text, not the keyword.
   EXPECT_TRUE( tokens[ 1 ].is( "trace" ) );
   EXPECT_FALSE( Sim::tokenize( "\"json\"" )[ 0 ].is( "json" ) );
}

TEST( Lexer, MalformedQuotesNameTheColumn ) {
   EXPECT_EQ( errorOf( "intf \"Ethernet 1" ), "column 6: unterminated quote" );
   EXPECT_EQ( errorOf( "intf \"a\\" ), "column 8: a backslash ends the line inside a quoted token" );
   EXPECT_EQ( errorOf( "intf \"a\\tb\"" ).rfind( "column 8: unknown escape \\t", 0 ), 0u );
   EXPECT_EQ( errorOf( "intf ab\"c\"" ), "column 8: a quote inside a token (quote the whole token)" );
   EXPECT_EQ( errorOf( "intf \"ab\"c" ), "column 10: text right after a closing quote" );
   // A comment or a blank may follow a closing quote.
   EXPECT_EQ( errorOf( "intf \"ab\"# fine" ), "no error" );
}

template< typename F >
std::string
parseError( F && parse ) {
   try {
      parse();
   } catch( const Sim::ScenarioError & e ) {
      return e.what();
   }
   return "no error";
}

TEST( Tokens, IntegersAreDecimalOrHexWithinTheirRange ) {
   EXPECT_EQ( Sim::parseUnsigned( "42", "n" ), 42u );
   EXPECT_EQ( Sim::parseUnsigned( "0x2A", "n" ), 42u );
   EXPECT_EQ( Sim::parseUnsigned( "0XfF", "n", 255 ), 255u );
   EXPECT_EQ( Sim::parseUnsigned( "18446744073709551615", "n" ), ~U64( 0 ) );
   EXPECT_EQ( parseError( [] { Sim::parseUnsigned( "256", "unit", 255 ); } ),
              "unit: 256 is out of range (0 to 255)" );
   for( const char * bad : { "", "0x", "-1", "1.5", "12a", " 1", "18446744073709551616", "+1" } ) {
      EXPECT_NE( parseError( [ & ] { Sim::parseUnsigned( bad, "n" ); } ), "no error" ) << bad;
   }
   EXPECT_EQ( Sim::parseSigned( "-4", "rc" ), -4 );
   EXPECT_EQ( Sim::parseSigned( "-0x10", "rc" ), -16 );
   EXPECT_EQ( Sim::parseSigned( "-9223372036854775808", "rc" ), INT64_MIN );
   EXPECT_NE( parseError( [] { Sim::parseSigned( "9223372036854775808", "rc" ); } ), "no error" );
}

TEST( Tokens, SecondsAreNonNegativeFiniteDecimals ) {
   EXPECT_DOUBLE_EQ( Sim::parseSeconds( "0.5", "s" ), 0.5 );
   EXPECT_DOUBLE_EQ( Sim::parseSeconds( "2", "s" ), 2.0 );
   EXPECT_DOUBLE_EQ( Sim::parseSeconds( "1e-3", "s" ), 0.001 );
   for( const char * bad : { "-1", "inf", "nan", "", "0.5s", "+1" } ) {
      EXPECT_NE( parseError( [ & ] { Sim::parseSeconds( bad, "s" ); } ), "no error" ) << bad;
   }
}

TEST( Tokens, PortsAndRequestIds ) {
   const StrataTypes::StrataPort port = Sim::parsePort( "1/0x2/0x3FF", "port" );
   EXPECT_EQ( port.modId, 1 );
   EXPECT_EQ( port.unit, 2 );
   EXPECT_EQ( port.port, 0x3FF );
   EXPECT_EQ( parseError( [] { Sim::parsePort( "1/0/1024", "port" ); } ),
              "port port number: 1024 is out of range (0 to 1023)" );
   EXPECT_NE( parseError( [] { Sim::parsePort( "1/0", "port" ); } ), "no error" );
   EXPECT_TRUE( Sim::looksLikePort( "1/0/7" ) );
   EXPECT_FALSE( Sim::looksLikePort( "Ethernet1/1" ) );
   EXPECT_FALSE( Sim::looksLikePort( "1/0/7/1" ) );

   const PacketTracer::RequestId id = Sim::parseRequestId( "trace:a:0x10", "id" );
   EXPECT_EQ( id.name, "trace:a" ); // the number follows the last colon
   EXPECT_EQ( id.number, 16u );
   EXPECT_NE( parseError( [] { Sim::parseRequestId( "trace", "id" ); } ), "no error" );
   EXPECT_NE( parseError( [] { Sim::parseRequestId( "t:4294967296", "id" ); } ), "no error" );
}

TEST( Tokens, TraceLevelsAndNumbersAsValues ) {
   EXPECT_EQ( Sim::parseTraceLevels( "all" ), 0xFFFF );
   EXPECT_EQ( Sim::parseTraceLevels( "none" ), 0 );
   EXPECT_EQ( Sim::parseTraceLevels( "0,4,8" ), 0x111 );
   EXPECT_EQ( Sim::parseTraceLevels( "15" ), 0x8000 );
   EXPECT_NE( parseError( [] { Sim::parseTraceLevels( "16" ); } ), "no error" );
   EXPECT_NE( parseError( [] { Sim::parseTraceLevels( "0,,4" ); } ), "no error" );

   // Numbers compare across kinds: 2 equals 2.0 and 0x10 equals 16.
   EXPECT_TRUE( Sim::numberValue( "0x10" )->equals( Quill::Value( 16 ) ) );
   EXPECT_TRUE( Sim::numberValue( "2.0" )->equals( Quill::Value( 2u ) ) );
   EXPECT_TRUE( Sim::numberValue( "-3" )->equals( Quill::Value( -3 ) ) );
   EXPECT_FALSE( Sim::numberValue( "present" ) );
   EXPECT_FALSE( Sim::numberValue( "" ) );
}

} // namespace
