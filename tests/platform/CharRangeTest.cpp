// Parsing a value back from its text: literals, attribute values and the
// position every error names.
#include "Quill/CharRange.h"
#include "Quill/Exceptions.h"
#include "ErrorText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using TestSupport::mentions;

template< typename Action >
std::string
parseError( Action action ) {
   return TestSupport::errorText< Quill::ParseException >( action );
}

TEST( CharRange, NeedStringStepsOverLiteralsAndNamesWhereItFailed ) {
   Quill::CharRange range( std::string_view( "(a, 12)" ) );
   range.needString( "(" );
   range.needString( "a, " );
   EXPECT_EQ( range.position(), 4u );
   const std::string error = parseError( [ & ] { range.needString( "13" ); } );
   EXPECT_TRUE( mentions( error, "offset 4" ) );
   EXPECT_TRUE( mentions( error, "\"13\"" ) );
   EXPECT_TRUE( mentions( error, "\"12)\"" ) );
   EXPECT_EQ( range.position(), 4u ) << "a failed match consumes nothing";

   range.needString( "12)" );
   EXPECT_TRUE( range.atEnd() );
   range.checkAllDataConsumed();
   const std::string pastEnd = parseError( [ & ] { range.needString( "x" ); } );
   EXPECT_TRUE( mentions( pastEnd, "found the end of the text" ) );
}

TEST( CharRange, CheckAllDataConsumedRefusesLeftovers ) {
   const std::string text = "true;";
   Quill::CharRange range( text.data(), text.data() + text.size() );
   bool value = false;
   Quill::deserializeAttr( range, "enable", value );
   EXPECT_TRUE( value );
   const std::string error = parseError( [ & ] { range.checkAllDataConsumed(); } );
   EXPECT_TRUE( mentions( error, "offset 4" ) );
   EXPECT_TRUE( mentions( error, "\";\"" ) );
}

TEST( CharRange, DeserializeBoolAndU32 ) {
   Quill::CharRange bools( std::string_view( "falsetrue" ) );
   bool flag = true;
   Quill::deserializeAttr( bools, "a", flag );
   EXPECT_FALSE( flag );
   Quill::deserializeAttr( bools, "b", flag );
   EXPECT_TRUE( flag );
   Quill::CharRange notBool( std::string_view( "yes" ) );
   const std::string boolError = parseError( [ & ] { Quill::deserializeAttr( notBool, "enable", flag ); } );
   EXPECT_TRUE( mentions( boolError, "'enable'" ) );

   U32 number = 0;
   Quill::CharRange max( std::string_view( "4294967295," ) );
   Quill::deserializeAttr( max, "timeout", number );
   EXPECT_EQ( number, 4294967295u );
   EXPECT_EQ( max.rest(), "," );

   for( const char * text : { "4294967296", "99999999999999999999999", "", "-1", "x1" } ) {
      Quill::CharRange range{ std::string_view( text ) };
      number = 7;
      const std::string error = parseError( [ & ] { Quill::deserializeAttr( range, "timeout", number ); } );
      EXPECT_TRUE( mentions( error, "'timeout'" ) ) << text;
      EXPECT_EQ( number, 7u ) << text << " changed the value";
      EXPECT_EQ( range.position(), 0u ) << text;
   }
}

} // namespace
