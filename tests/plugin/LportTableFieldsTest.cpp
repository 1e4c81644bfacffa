// Strata::LportTableFields: its text form, its strict parser and its
// registered type's members (no hash). (Found by name: GenericAccessTest.)
#include "LportTableFields.h"

#include "Quill/Exceptions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

using Strata::LportTableFields;

const Quill::TypeInfo &
fieldsType() {
   return LportTableFields::typeInfo();
}

// A member's generic attribute identifier, found by its name.
Quill::AttributeId
idOf( const char * member ) {
   const Quill::AttrInfo * attribute = fieldsType().attribute( member );
   EXPECT_TRUE( attribute ) << member;
   return attribute ? attribute->id : 0;
}

std::string
with( std::string text, const std::string & from, const std::string & to ) {
   const auto at = text.find( from );
   EXPECT_NE( at, std::string::npos ) << "'" << from << "' not in " << text;
   return at == std::string::npos ? text : text.replace( at, from.size(), to );
}

TEST( LportTableFields, PrintsAndParsesBackAndRefusesEveryOtherText ) {
   EXPECT_EQ( LportTableFields().valueToStrep(),
              "Value('Strata::LportTableFields', ** {'vfpEnable': false, 'v4L3Enable': false, 'v6L3Enable': false, "
              "'v6IpmcEnable': false, 'v4IpmcEnable': false, 'usePortTableGroupId': false, 'trustIncomingVid': false, "
              "'trustDscpV4': false, 'trustDscpV6': false, 'parity': false, 'mplsEnable': false, 'ipmcDoVlan': false, "
              "'filterEnable': false, 'enIfilter': false, 'disableStaticMoveDrop': false, 'portVid': 0, "
              "'outerTpidEnable': 0, 'lPortProfileIdx': 0})" );
   LportTableFields f;
   f.vfpEnable = true;
   f.portVid = 7;
   f.lPortProfileIdx = 0xFFFFFFFFu;
   const std::string good = f.valueToStrep();
   EXPECT_EQ( LportTableFields::strepToValue( good ), f );
   std::ostringstream out;
   out << f;
   EXPECT_EQ( out.str(), good );
   for( const std::string & text :
        { with( good, "'v4L3Enable': false, 'v6L3Enable'", "'v6L3Enable': false, 'v4L3Enable'" ), // swapped
          with( good, ", 'parity': false", "" ),                                                  // missing
          with( good, "'portVid': 7", "'portVid': 7, 'innerVid': 1" ),                            // extra
          good + " ",                                                                             // trailing
          with( good, "'vfpEnable': true", "'vfpEnable': True" ),                                 // bad bool
          with( good, "'portVid': 7", "'portVid': 4294967296" ),                                  // overflow
          with( good, "'portVid': 7", "'portVid': -1" ),                                          // negative
          with( good, "'vfpEnable': true", "'vfpEnable': 1" ),                                    // flag as number
          good.substr( 0, good.size() - 2 ),                                                      // truncated
          with( good, "LportTableFields'", "LportTableField'" ), std::string() } ) {
      EXPECT_THROW( LportTableFields::strepToValue( text ), Quill::ParseException ) << text;
      EXPECT_THROW( fieldsType().fromStrep( text ), Quill::ParseException ) << text;
   }
   // The error names where the text went wrong, and how.
   EXPECT_THAT( [ & ] { LportTableFields::strepToValue( with( good, "'vfpEnable': true", "'vfpEnable': True" ) ); },
                ::testing::ThrowsMessage< Quill::ParseException >( ::testing::StartsWith(
                   "parse error at offset 51: expected true or false for 'vfpEnable', found \"True, " ) ) );
}

// Each member on its own: set through the generic interface, it makes the
// value differ from the default and from every other member set alone, and
// survives the text round trip.
TEST( LportTableFields, EachMemberCountsForEqualityAndSurvivesTheText ) {
   std::vector< LportTableFields > single;
   for( const Quill::AttrInfo & member : fieldsType().attributes ) {
      LportTableFields f;
      Quill::Value ignored;
      const Quill::Value one = member.typeName == "bool" ? Quill::Value( true ) : Quill::Value( 4095u );
      ASSERT_EQ( fieldsType().genericAttrOp( &f, member.id, Quill::AttrOp::write, { one }, ignored ),
                 Quill::AttrAnswer::done );
      ASSERT_EQ( fieldsType().genericAttrOp( &f, member.id, Quill::AttrOp::read, {}, ignored ),
                 Quill::AttrAnswer::done );
      EXPECT_TRUE( ignored.equals( one ) ) << member.name;
      EXPECT_FALSE( fieldsType().valueOps.isDefault( &f ) ) << member.name;
      EXPECT_EQ( LportTableFields::strepToValue( f.valueToStrep() ), f ) << member.name;
      single.push_back( f );
   }
   ASSERT_EQ( single.size(), LportTableFields::members().size() );
   // Around the members: no such attribute; on a member: only read and write.
   LportTableFields f;
   Quill::Value ignored;
   for( Quill::AttributeId outside :
        { fieldsType().attributes.front().id - 1, fieldsType().attributes.back().id + 1 } ) {
      for( Quill::AttrOp op : { Quill::AttrOp::read, Quill::AttrOp::write } ) {
         EXPECT_EQ( fieldsType().genericAttrOp( &f, outside, op, { true }, ignored ),
                    Quill::AttrAnswer::noSuchAttribute );
      }
   }
   EXPECT_EQ( fieldsType().genericAttrOp( &f, idOf( "vfpEnable" ), Quill::AttrOp::del, {}, ignored ),
              Quill::AttrAnswer::notSupported );
   EXPECT_THAT( [ & ] { fieldsType().genericAttrOp( &f, idOf( "portVid" ), Quill::AttrOp::write, { -1 }, ignored ); },
                ::testing::ThrowsMessage< Quill::RangeException >( ::testing::HasSubstr( "::portVid: " ) ) );
   EXPECT_THAT( [ & ] { fieldsType().genericAttrOp( &f, idOf( "vfpEnable" ), Quill::AttrOp::write, {}, ignored ); },
                ::testing::ThrowsMessage< Quill::RangeException >( ::testing::HasSubstr( "::vfpEnable: " ) ) );
   EXPECT_EQ( f, LportTableFields() ) << "a refused write changes nothing";
   EXPECT_THROW( fieldsType().hash( &f ), Quill::NoHashException ) << "a value type without hash";
   for( std::size_t a = 0; a < single.size(); ++a ) {
      for( std::size_t b = 0; b < single.size(); ++b ) {
         EXPECT_EQ( single[ a ] == single[ b ], a == b ) << a << " and " << b;
      }
   }
}

} // namespace
