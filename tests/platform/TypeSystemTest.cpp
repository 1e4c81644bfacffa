// The type registry, the generic attribute interface, generic values and
// entity factories by type name.
#include "Pallet/Pallet.h"
#include "Quill/Entity.h"
#include "Quill/Exceptions.h"
#include "Quill/PlatformTypes.h"
#include "Quill/Type.h"
#include "Quill/Value.h"
#include "ErrorText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Quill::AttrAnswer;
using TestSupport::errorText;
using TestSupport::mentions;
using Quill::AttrOp;
using Quill::Value;

const Quill::TypeInfo & gaugeType();

// A small framework type: a read-only label set at construction (attribute 1)
// and a 16-bit level that is read and written (attribute 2).
struct Gauge : Quill::PtrInterface {
   static constexpr const char * quillTypeName = "Test::Gauge";
   static constexpr Quill::AttributeId labelAttr = 1;
   static constexpr Quill::AttributeId levelAttr = 2;

   explicit Gauge( std::string l ) : label( std::move( l ) ) {}
   const Quill::TypeInfo * fwkType() const override { return &gaugeType(); }
   const std::string label;
   U16 level = 0;
};

AttrAnswer
gaugeGenericAttr( void * object, Quill::AttributeId id, AttrOp op, const Quill::ValueList & args,
                  Value & result ) {
   auto * gauge = static_cast< Gauge * >( static_cast< Quill::PtrInterface * >( object ) );
   if( id != Gauge::labelAttr && id != Gauge::levelAttr ) {
      return AttrAnswer::noSuchAttribute;
   }
   if( op == AttrOp::read ) {
      result = id == Gauge::labelAttr ? Value( gauge->label ) : Value( gauge->level );
      return AttrAnswer::done;
   }
   if( op == AttrOp::write && id == Gauge::levelAttr ) {
      gauge->level = U16( args.at( 0 ).asUnsigned( 0xFFFF ) );
      return AttrAnswer::done;
   }
   return AttrAnswer::notSupported;
}

const Quill::TypeInfo &
gaugeType() {
   static Quill::TypeInfo * type = [] {
      auto * t = new Quill::TypeInfo;
      t->name = Gauge::quillTypeName;
      t->kind = Quill::TypeKind::object;
      t->attributes = {
         { Gauge::labelAttr, "label", Quill::AttrKind::constructor, "string",
           Quill::opBit( AttrOp::read ), {} },
         { Gauge::levelAttr, "level", Quill::AttrKind::value, "U16",
           Quill::opBit( AttrOp::read ) | Quill::opBit( AttrOp::write ), {} } };
      t->genericAttr = &gaugeGenericAttr;
      static Quill::Module module( "TestGaugeModule", { t } );
      Quill::quillModuleIs( module );
      return t;
   }();
   return *type;
}

TEST( TypeRegistry, RegisteredModuleListsItsTypesByIndexAndName ) {
   const Quill::TypeInfo & type = gaugeType();
   EXPECT_EQ( Quill::typeNamed( "Test::Gauge" ), &type );
   const Quill::Module * module = Quill::moduleNamed( "TestGaugeModule" );
   ASSERT_NE( module, nullptr );
   EXPECT_EQ( module->type( 0 ), &type );
   EXPECT_EQ( module->type( 1 ), nullptr );
   EXPECT_EQ( type.module, module );
   EXPECT_EQ( type.attribute( "level" )->id, Gauge::levelAttr );
   EXPECT_EQ( type.attribute( Gauge::labelAttr )->name, "label" );
   EXPECT_EQ( type.attribute( 77 ), nullptr );
   EXPECT_EQ( Quill::typeNamed( "No::SuchType" ), nullptr );
}

TEST( TypeRegistry, RegisteringAModuleAgainReplacesItsTypes ) {
   static Quill::TypeInfo oldKept, oldDropped, newKept;
   oldKept.name = newKept.name = "Test::Kept";
   oldDropped.name = "Test::Dropped";
   static Quill::Module first( "TestReloaded", { &oldKept, &oldDropped } );
   static Quill::Module second( "TestReloaded", { &newKept } );
   Quill::quillModuleIs( first );
   ASSERT_EQ( Quill::typeNamed( "Test::Dropped" ), &oldDropped );
   Quill::quillModuleIs( second );
   EXPECT_EQ( Quill::typeNamed( "Test::Kept" ), &newKept );
   EXPECT_EQ( Quill::typeNamed( "Test::Dropped" ), nullptr );
   EXPECT_EQ( Quill::moduleNamed( "TestReloaded" ), &second );
}

TEST( GenericAttr, AnswersDoneNotSupportedAndNoSuchAttribute ) {
   Vela::Ptr< Quill::PtrInterface > gauge = Pallet::make< Gauge >( "pressure" );
   Value result;
   EXPECT_EQ( Quill::genericAttrOp( gauge, Gauge::labelAttr, AttrOp::read, {}, result ),
              AttrAnswer::done );
   EXPECT_EQ( result.asString(), "pressure" );
   EXPECT_EQ( Quill::genericAttrOp( gauge, Gauge::labelAttr, AttrOp::write, { Value( "x" ) }, result ),
              AttrAnswer::notSupported );
   EXPECT_EQ( Quill::genericAttrOp( gauge, Gauge::levelAttr, AttrOp::write, { Value( 300 ) }, result ),
              AttrAnswer::done );
   EXPECT_EQ( Quill::genericAttrOp( gauge, Gauge::levelAttr, AttrOp::read, {}, result ),
              AttrAnswer::done );
   EXPECT_EQ( result.asUnsigned(), 300u );
   EXPECT_EQ( Quill::genericAttrOp( gauge, Gauge::levelAttr, AttrOp::del, {}, result ),
              AttrAnswer::notSupported );
   EXPECT_EQ( Quill::genericAttrOp( gauge, 99, AttrOp::read, {}, result ),
              AttrAnswer::noSuchAttribute );
   EXPECT_EQ( static_cast< int >( AttrAnswer::noSuchAttribute ), 2 );

   // A value out of the attribute's range is refused and changes nothing.
   EXPECT_THROW( Quill::genericAttrOp( gauge, Gauge::levelAttr, AttrOp::write, { Value( 70000 ) },
                                       result ),
                 Quill::RangeException );
   EXPECT_EQ( Vela::dynamicPtrCast< Gauge >( gauge )->level, 300 );
}

TEST( GenericAttr, NullAndUntypedObjectsHaveNoAttributes ) {
   Value result;
   EXPECT_EQ( Quill::genericAttrOp( nullptr, 1, AttrOp::read, {}, result ),
              AttrAnswer::noSuchAttribute );
   EXPECT_EQ( Quill::genericAttrOp( Pallet::make< Quill::PtrInterface >(), 1, AttrOp::read, {}, result ),
              AttrAnswer::noSuchAttribute );
}

TEST( Value, ConversionsAndTheirErrors ) {
   EXPECT_EQ( Value( 5u ).asInt(), 5 );
   EXPECT_EQ( Value( 7 ).asDouble(), 7.0 );
   EXPECT_EQ( Value( 255 ).asUnsigned( 255 ), 255u );
   EXPECT_EQ( Value( Quill::ValueList{ Value( 1 ), Value( "b" ) } ).toString(), "[1, b]" );

   EXPECT_TRUE( mentions( errorText< Quill::RangeException >( [] { Value( 256 ).asUnsigned( 255 ); } ),
                          "256" ) );
   EXPECT_TRUE( mentions( errorText< Quill::RangeException >( [] { Value( -1 ).asUnsigned(); } ), "-1" ) );
   EXPECT_THROW( Value( ~std::uint64_t( 0 ) ).asInt(), Quill::RangeException );
   EXPECT_THROW( Value( "text" ).asBool(), Quill::RangeException );
   EXPECT_THROW( Value( 1.5 ).asUnsigned(), Quill::RangeException );
   EXPECT_THROW( Value( 1 ).asObject(), Quill::RangeException );
   EXPECT_THROW( Value( Quill::Boxed{} ).asString(), Quill::RangeException ); // no crash naming it

   // Numbers compare across kinds; objects by identity.
   EXPECT_TRUE( Value( 3 ).equals( Value( 3u ) ) );
   EXPECT_TRUE( Value( 3 ).equals( Value( 3.0 ) ) );
   EXPECT_FALSE( Value( -1 ).equals( Value( ~std::uint64_t( 0 ) ) ) );
   auto a = Pallet::make< Gauge >( "same" );
   auto b = Pallet::make< Gauge >( "same" );
   EXPECT_TRUE( Value( a ).equals( Value( a ) ) );
   EXPECT_FALSE( Value( a ).equals( Value( b ) ) );
   EXPECT_EQ( Value( a ).asPtr< Gauge >(), a );
   EXPECT_FALSE( Value( a ).asPtr< Quill::Dir >() );
}

TEST( Value, BoxedValuesOfRegisteredValueTypes ) {
   const StrataTypes::StrataPort port{ 1, 2, 3, 0 };
   const Value boxed = Value::boxed( port );
   EXPECT_EQ( boxed.as< StrataTypes::StrataPort >(), port );
   EXPECT_EQ( boxed.toString(), "1/2/3" );
   EXPECT_TRUE( boxed.equals( Value::boxed( port ) ) );
   EXPECT_FALSE( boxed.equals( Value::boxed( StrataTypes::StrataPort{ 1, 2, 4, 0 } ) ) );
   const std::string wrongType =
      errorText< Quill::RangeException >( [ & ] { boxed.as< Lumo::IntfId >(); } );
   EXPECT_TRUE( mentions( wrongType, "Lumo::IntfId" ) );
   EXPECT_TRUE( mentions( wrongType, "StrataTypes::StrataPort" ) );
   const Quill::TypeInfo & portType = Quill::PlatformTypes::strataPort();
   EXPECT_TRUE( Value( portType.fromStrep( "1/2/0x3" ) ).equals( boxed ) );
   EXPECT_THROW( portType.fromStrep( "1/2/1024" ), Quill::ParseException );
   EXPECT_THROW( gaugeType().hash( nullptr ), Quill::NoHashException );
}

TEST( NewEntityForDir, MakesRegisteredEntityTypesByName ) {
   const auto dir = Quill::newEntityForDir( "Quill::Dir", "made" );
   ASSERT_TRUE( Vela::dynamicPtrCast< Quill::Dir >( dir ) );
   EXPECT_EQ( dir->name(), "made" );

   EXPECT_THROW( Quill::newEntityForDir( "Quill::Dir", "withArgs", { Value( 1 ) } ),
                 Quill::NewEntityArgsException );
   EXPECT_TRUE( mentions( errorText< Quill::UnknownTypeException >(
                             [] { Quill::newEntityForDir( "No::SuchEntity", "x" ); } ),
                          "No::SuchEntity" ) );
   // Registered, but not an entity type.
   EXPECT_THROW( Quill::newEntityForDir( Gauge::quillTypeName, "x" ), Quill::UnknownTypeException );
}

} // namespace
