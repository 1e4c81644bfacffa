// The root state machine: notification switching and re-instantiation
// errors. (Following modules as they come and go, and its collection read
// through the generic interface, are shown end to end by
// examples/modules.scn and scenarios/language/objects.scn.)
#include "PluginFixture.h"

namespace PluginTest {
namespace {

using RootSmTest = PluginFixture;

Quill::Value
boxedMod( unsigned id ) {
   return Quill::Value::boxed( StrataCentral::ModId( id ) );
}

std::vector< unsigned >
moduleKeys( const Vela::Ptr< Root > & root ) {
   std::vector< unsigned > keys;
   for( const auto & entry : root->strataPacketTracerSliceSms() ) {
      keys.push_back( entry.first.value() );
   }
   return keys;
}

TEST_F( RootSmTest, SwitchedOffTheRootAndItsSlicesHearNothingAndOnAgainSubscribeOnce ) {
   moduleIs( 1, 0 );
   auto root = makeRoot();
   Vela::Ptr< Slice > slice = root->strataPacketTracerSliceSm( mod( 1 ) );
   root->hasNotificationActiveIs( false );
   EXPECT_FALSE( slice->hasNotificationActive() );
   EXPECT_EQ( scsd_->publisher().subscribers() + request_->publisher().subscribers(), 0u );
   moduleIs( 2, 0 );
   EXPECT_EQ( moduleKeys( root ), std::vector< unsigned >{ 1 } );

   // On again: exactly one subscription per input, and no catching up.
   root->hasNotificationActiveIs( true );
   EXPECT_TRUE( slice->hasNotificationActive() );
   EXPECT_EQ( scsd_->publisher().subscribers(), 2u );
   EXPECT_EQ( request_->publisher().subscribers(), 1u );
   EXPECT_EQ( cfm_->publisher().subscribers(), 1u );
   EXPECT_EQ( moduleKeys( root ), std::vector< unsigned >{ 1 } );
   moduleIs( 3, 0 );
   EXPECT_EQ( moduleKeys( root ), ( std::vector< unsigned >{ 1, 3 } ) );
   // The same value again does not touch the slices.
   slice->hasNotificationActiveIs( false );
   root->hasNotificationActiveIs( true );
   EXPECT_FALSE( slice->hasNotificationActive() );
   slice->hasNotificationActiveIs( true );

   // A change of another attribute of the scsd, or of a module's unit, is no
   // module change; handleModule makes one module agree on request.
   tracesClear();
   scsd_->strataPortToLag.set( port( 1, 0, 1 ), Lumo::IntfId( "Port-Channel1" ) );
   moduleIs( 1, 4 );
   EXPECT_EQ( root->strataPacketTracerSliceSm( mod( 1 ) ), slice );
   EXPECT_EQ( traceCount( "handleModule" ), 1u ) << "the unit change alone";
   root->hasNotificationActiveIs( false );
   scsd_->strataModIdToUnit.erase( mod( 3 ) );
   moduleIs( 5, 0 );
   done( root, Root::handleModuleId, Quill::AttrOp::call, { 3 } );
   done( root, Root::handleModuleId, Quill::AttrOp::call, { 5 } );
   EXPECT_EQ( moduleKeys( root ), ( std::vector< unsigned >{ 1, 5 } ) );
   EXPECT_FALSE( root->strataPacketTracerSliceSm( mod( 5 ) )->hasNotificationActive() ) << "made while the root is off";
   root->hasNotificationActiveIs( true );
   EXPECT_TRUE( root->strataPacketTracerSliceSm( mod( 5 ) )->hasNotificationActive() );
   scsd_->strataModIdToUnit.erase( mod( 5 ) );
   scsd_->strataPortToLag.erase( port( 1, 0, 1 ) );

   // Marked for deletion, it ignores module changes.
   root->quillDoZombieReactors( true );
   moduleIs( 4, 0 );
   EXPECT_EQ( moduleKeys( root ), std::vector< unsigned >{ 1 } );
}

TEST_F( RootSmTest, ReinstantiatingWithAnotherInputFailsNamingItAndKeepsTheSlice ) {
   moduleIs( 2, 0 );
   auto root = makeRoot();
   Vela::Ptr< Slice > slice = root->strataPacketTracerSliceSm( mod( 2 ) );
   auto otherConfig = Pallet::make< StrataPacketTracer::LPortTableWriteRequestConfig >( "other" );
   using Reinstantiating = Quill::MutatorReinstantiatingException;
   using namespace ::testing;
   EXPECT_THAT(
      [ & ] {
         generic( root, Root::strataPacketTracerSliceSmId, Quill::AttrOp::write,
                  { requestDir_, otherConfig, status_, scsd_, boxedMod( 2 ), cfm_ } );
      },
      Throws< Reinstantiating >(
         AllOf( Property( &Reinstantiating::attributeId, Slice::lPortTableWriteRequestConfigId ),
                Property( &Reinstantiating::typeName, "Strata::StrataPacketTracerSliceSm" ),
                Property( &Reinstantiating::what, AllOf( HasSubstr( Quill::Value( request_ ).toString() ),
                                                         HasSubstr( Quill::Value( otherConfig ).toString() ) ) ) ) ) );
   EXPECT_EQ( root->strataPacketTracerSliceSm( mod( 2 ) ), slice );
   EXPECT_EQ( slice->inputs().lPortTableWriteRequestConfig, request_ );
   EXPECT_EQ( otherConfig->publisher().subscribers(), 0u );
   // The CFM configuration is compared last, as the slice's attribute.
   EXPECT_THAT(
      [ & ] {
         root->strataPacketTracerSliceSmIs( { requestDir_, request_, status_, scsd_, nullptr }, mod( 2 ) );
      },
      Throws< Reinstantiating >( Property( &Reinstantiating::attributeId, Slice::cfmHwConfigId ) ) );
   EXPECT_EQ( done( root, Root::strataPacketTracerSliceSmId, Quill::AttrOp::write,
                    { requestDir_, request_, status_, scsd_, 2, cfm_ } )
                 .asPtr< Slice >(),
              slice )
      << "the same inputs give the same slice";
}

} // namespace
} // namespace PluginTest
