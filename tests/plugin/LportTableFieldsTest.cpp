// Strata::LportTableFields: its text form, its strict parser and its
// registered type (generic member access, value operations, no hash).
#include "LportTableFields.h"

#include "Quill/Exceptions.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace {

using Strata::LportTableFields;

const Quill::TypeInfo & fieldsType() { return LportTableFields::typeInfo(); }

std::string
with( std::string text, const std::string & from, const std::string & to ) {
   const auto at = text.find( from );
   EXPECT_NE( at, std::string::npos ) << "'" << from << "' not in " << text;
   return at == std::string::npos ? text : text.replace( at, from.size(), to );
}

std::size_t
count( const std::string & text, const std::string & part ) {
   std::size_t n = 0;
   for( auto at = text.find( part ); at != std::string::npos; at = text.find( part, at + 1 ) ) {
      ++n;
   }
   return n;
}

TEST( LportTableFields, PrintsAndParsesBack ) {
   const std::string zero = LportTableFields().valueToStrep();
   EXPECT_EQ( zero.rfind( "Value('Strata::LportTableFields', ** {'vfpEnable': false, 'v4L3Enable': ", 0 ), 0u );
   EXPECT_EQ( count( zero, ": false" ), 15u ) << zero;
   EXPECT_TRUE( zero.ends_with( "'disableStaticMoveDrop': false, 'portVid': 0, 'outerTpidEnable': 0, "
                                "'lPortProfileIdx': 0})" ) )
      << zero;

   LportTableFields f;
   f.trustDscpV6 = true;
   f.portVid = 4095;
   f.lPortProfileIdx = 0xFFFFFFFFu;
   const LportTableFields back = LportTableFields::strepToValue( f.valueToStrep() );
   EXPECT_EQ( back, f );
   EXPECT_EQ( back.portVid, 4095u );
   std::ostringstream out;
   out << f;
   EXPECT_EQ( out.str(), f.valueToStrep() );

   f.lPortProfileIdx = 9;
   EXPECT_FALSE( back == f );
}

TEST( LportTableFields, ParserRefusesEveryOtherText ) {
   LportTableFields f;
   f.vfpEnable = true;
   f.portVid = 7;
   const std::string good = f.valueToStrep();
   for( const std::string & text : {
           with( good, "'v4L3Enable': false, 'v6L3Enable'", "'v6L3Enable': false, 'v4L3Enable'" ),
           with( good, ", 'parity': false", "" ),
           with( good, "'portVid': 7", "'portVid': 7, 'innerVid': 1" ),
           good + " ",
           with( good, "'vfpEnable': true", "'vfpEnable': True" ),
           with( good, "'portVid': 7", "'portVid': 4294967296" ),
           with( good, "LportTableFields'", "LportTableField'" ),
           std::string() } ) {
      EXPECT_THROW( LportTableFields::strepToValue( text ), Quill::ParseException ) << text;
      EXPECT_THROW( fieldsType().fromStrep( text ), Quill::ParseException ) << text;
   }
}

TEST( LportTableFields, IsARegisteredValueTypeWithoutHash ) {
   EXPECT_EQ( Quill::typeNamed( "Strata::LportTableFields" ), &fieldsType() );
   EXPECT_EQ( fieldsType().kind, Quill::TypeKind::value );
   EXPECT_EQ( fieldsType().index, 0u );
   LportTableFields f;
   f.enIfilter = true;
   const Quill::ValueOps & ops = fieldsType().valueOps;
   const auto copy = ops.construct( &f );
   const auto fresh = ops.construct( nullptr );
   EXPECT_TRUE( ops.isEq( copy.get(), &f ) );
   EXPECT_FALSE( ops.isEq( fresh.get(), &f ) );
   EXPECT_TRUE( ops.isDefault( fresh.get() ) );
   EXPECT_FALSE( ops.isDefault( copy.get() ) );
   EXPECT_TRUE( ops.isEq( fieldsType().fromStrep( fieldsType().toStrep( &f ) ).data.get(), &f ) );
   EXPECT_THROW( fieldsType().hash( &f ), Quill::NoHashException );
}

// Each member alone: written and read back through the generic interface, and
// then the only difference from the default value.
TEST( LportTableFields, GenericAccessReachesEachMemberAndNothingElse ) {
   ASSERT_EQ( fieldsType().attributes.size(), 18u );
   Quill::Value result;
   for( Quill::AttributeId id = 2; id <= 19; ++id ) {
      const Quill::AttrInfo * info = fieldsType().attribute( id );
      ASSERT_NE( info, nullptr ) << id;
      const bool isFlag = id <= 16;
      EXPECT_EQ( info->typeName, isFlag ? "bool" : "U32" );
      LportTableFields f;
      const Quill::Value written = isFlag ? Quill::Value( true ) : Quill::Value( 4094u );
      ASSERT_EQ( fieldsType().genericAttrOp( &f, id, Quill::AttrOp::write, { written }, result ),
                 Quill::AttrAnswer::done );
      const std::string text = f.valueToStrep();
      EXPECT_NE( text.find( "'" + info->name + "': " + ( isFlag ? "true" : "4094" ) ), std::string::npos );
      EXPECT_EQ( count( text, "true" ) + count( text, "4094" ), 1u ) << text;
      EXPECT_TRUE( f.isNonDefault() );
      fieldsType().genericAttrOp( &f, id, Quill::AttrOp::read, {}, result );
      EXPECT_TRUE( result.equals( written ) ) << info->name;
   }

   LportTableFields f;
   for( Quill::AttributeId id : { 1, 20 } ) {
      EXPECT_EQ( fieldsType().genericAttrOp( &f, id, Quill::AttrOp::read, {}, result ),
                 Quill::AttrAnswer::noSuchAttribute );
   }
   for( Quill::AttrOp op : { Quill::AttrOp::del, Quill::AttrOp::count, Quill::AttrOp::call } ) {
      EXPECT_EQ( fieldsType().genericAttrOp( &f, 17, op, { Quill::Value( 1u ) }, result ),
                 Quill::AttrAnswer::notSupported );
   }
   try {
      fieldsType().genericAttrOp( &f, 17, Quill::AttrOp::write, { Quill::Value( 0x100000000ull ) }, result );
      ADD_FAILURE() << "a 33-bit portVid was written";
   } catch( const Quill::RangeException & error ) {
      EXPECT_NE( std::string( error.what() ).find( "portVid" ), std::string::npos ) << error.what();
   }
   EXPECT_FALSE( f.isNonDefault() );
}

} // namespace
