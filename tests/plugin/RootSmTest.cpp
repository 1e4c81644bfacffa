// The root state machine: one slice per listed module, following the shared
// state's module map, notification switching, re-instantiation errors and
// its generic interface.
#include "PluginFixture.h"

namespace PluginTest {
namespace {

using Root = Strata::StrataPacketTracerSliceRootSm;
using Slice = Strata::StrataPacketTracerSliceSm;

class RootSmTest : public PluginFixture {
 protected:
   std::vector< unsigned > moduleKeys( const Vela::Ptr< Root > & root ) const {
      std::vector< unsigned > keys;
      for( const auto & [ modId, slice ] : root->strataPacketTracerSliceSms() ) {
         EXPECT_EQ( slice->modId(), modId ) << "a slice is kept under its own module";
         keys.push_back( modId.value() );
      }
      return keys;
   }
   static Quill::Value boxedMod( unsigned id ) { return Quill::Value::boxed( mod( id ) ); }
};

TEST_F( RootSmTest, ModulesListedAtCreationGetASliceEach ) {
   moduleIs( 1, 0 );
   moduleIs( 3, 1 );
   auto root = makeRoot();
   EXPECT_EQ( moduleKeys( root ), ( std::vector< unsigned >{ 1, 3 } ) );
   EXPECT_TRUE( root->hasNotificationActive() );
   for( const auto & [ modId, slice ] : root->strataPacketTracerSliceSms() ) {
      EXPECT_TRUE( slice->hasNotificationActive() );
      EXPECT_EQ( slice->scsd(), scsd_ );
      EXPECT_EQ( slice->cfmHwConfig(), cfm_ );
   }
   // The root's subscription and one per slice.
   EXPECT_EQ( scsd_->publisher().subscribers(), 3u );
   EXPECT_EQ( traceCount( "handleModule" ), 2u );
}

TEST_F( RootSmTest, FollowsModulesAsTheyComeAndGo ) {
   moduleIs( 1, 0 );
   auto root = makeRoot();
   Vela::Ptr< Slice > first = root->strataPacketTracerSliceSm( mod( 1 ) );

   moduleIs( 5, 2 );
   EXPECT_EQ( moduleKeys( root ), ( std::vector< unsigned >{ 1, 5 } ) );
   EXPECT_TRUE( root->strataPacketTracerSliceSm( mod( 5 ) )->hasNotificationActive() );

   // Unit changes and repeated notifications keep the very same slice.
   moduleIs( 1, 7 );
   moduleIs( 1, 7 );
   EXPECT_EQ( root->strataPacketTracerSliceSm( mod( 1 ) ), first );

   moduleDel( 5 );
   EXPECT_EQ( moduleKeys( root ), std::vector< unsigned >{ 1 } );
   // A module that is neither listed nor has a slice: nothing changes.
   root->handleModule( mod( 9 ) );
   EXPECT_EQ( moduleKeys( root ), std::vector< unsigned >{ 1 } );
   EXPECT_FALSE( root->strataPacketTracerSliceSmDel( mod( 9 ) ) );
}

TEST_F( RootSmTest, OtherSharedStateChangesCauseNoModuleWork ) {
   moduleIs( 1, 0 );
   auto root = makeRoot();
   tracesClear();
   scsd_->strataPortToLag.set( port( 1, 0, 4 ), Lumo::IntfId( "Port-Channel1" ) );
   scsd_->intf.set( Lumo::IntfId( "Ethernet4" ), true );
   scsd_->strataModId.set( 0, Strata::StrataModInfo{} );
   EXPECT_TRUE( tracesOf( "handleModule" ).empty() );
}

TEST_F( RootSmTest, SwitchedOffTheRootAndItsSlicesHearNothing ) {
   moduleIs( 1, 0 );
   auto root = makeRoot();
   Vela::Ptr< Slice > slice = root->strataPacketTracerSliceSm( mod( 1 ) );

   root->hasNotificationActiveIs( false );
   EXPECT_FALSE( slice->hasNotificationActive() );
   EXPECT_EQ( scsd_->publisher().subscribers(), 0u );
   EXPECT_EQ( request_->publisher().subscribers(), 0u );
   moduleIs( 2, 0 );
   EXPECT_EQ( moduleKeys( root ), std::vector< unsigned >{ 1 } );

   // On again: exactly one subscription each, and no catching up.
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
}

TEST_F( RootSmTest, AZombieRootIgnoresModuleChanges ) {
   auto root = makeRoot();
   root->quillDoZombieReactors( true );
   EXPECT_TRUE( root->quillMarkedForDeletion() );
   moduleIs( 4, 0 );
   EXPECT_TRUE( root->strataPacketTracerSliceSms().empty() );
   EXPECT_TRUE( tracesOf( "handleModule" ).empty() );
}

TEST_F( RootSmTest, ReinstantiatingWithAnotherInputFailsNamingIt ) {
   moduleIs( 2, 0 );
   auto root = makeRoot();
   Vela::Ptr< Slice > slice = root->strataPacketTracerSliceSm( mod( 2 ) );
   auto otherConfig = Pallet::make< StrataPacketTracer::LPortTableWriteRequestConfig >( "other" );
   const Quill::ValueList args{ requestDir_, otherConfig, status_, scsd_, boxedMod( 2 ), cfm_ };
   try {
      generic( root, Root::strataPacketTracerSliceSmId, Quill::AttrOp::write, args );
      ADD_FAILURE() << "another configuration entity was accepted";
   } catch( const Quill::MutatorReinstantiatingException & e ) {
      EXPECT_EQ( e.attributeId(), 131 );
      EXPECT_EQ( e.typeName(), "Strata::StrataPacketTracerSliceSm" );
      const std::string text = e.what();
      EXPECT_NE( text.find( Quill::Value( request_ ).toString() ), std::string::npos ) << text;
      EXPECT_NE( text.find( Quill::Value( otherConfig ).toString() ), std::string::npos ) << text;
   }
   EXPECT_EQ( root->strataPacketTracerSliceSm( mod( 2 ) ), slice );
   EXPECT_EQ( slice->lPortTableWriteRequestConfig(), request_ );
   EXPECT_EQ( otherConfig->publisher().subscribers(), 0u );

   // The CFM configuration is compared last, as attribute 135.
   EXPECT_THROW(
      {
         try {
            root->strataPacketTracerSliceSmIs( requestDir_, request_, status_, scsd_, mod( 2 ), nullptr );
         } catch( const Quill::MutatorReinstantiatingException & e ) {
            EXPECT_EQ( e.attributeId(), 135 );
            throw;
         }
      },
      Quill::MutatorReinstantiatingException );
   // The same inputs give the same slice.
   GenericResult same = generic( root, Root::strataPacketTracerSliceSmId, Quill::AttrOp::write,
                                 { requestDir_, request_, status_, scsd_, 2, cfm_ } );
   EXPECT_EQ( same.value.asPtr< Slice >(), slice );
}

TEST_F( RootSmTest, TheCollectionThroughTheGenericInterface ) {
   moduleIs( 1, 0 );
   moduleIs( 4, 0 );
   moduleIs( 6, 0 );
   auto root = makeRoot();
   const auto collection = Root::strataPacketTracerSliceSmId;
   EXPECT_EQ( generic( root, collection, Quill::AttrOp::count ).value.asUnsigned(), 3u );
   EXPECT_TRUE( generic( root, collection, Quill::AttrOp::member, { boxedMod( 4 ) } ).value.asBool() );
   EXPECT_FALSE( generic( root, collection, Quill::AttrOp::member, { boxedMod( 5 ) } ).value.asBool() );
   EXPECT_EQ( generic( root, collection, Quill::AttrOp::read, { boxedMod( 6 ) } ).value.asPtr< Slice >(),
              root->strataPacketTracerSliceSm( mod( 6 ) ) );
   EXPECT_FALSE( generic( root, collection, Quill::AttrOp::read, { boxedMod( 5 ) } ).value.asPtr< Slice >() );

   auto keysOf = []( const Quill::Value & listed ) {
      std::vector< unsigned > keys;
      for( const Quill::Value & member : listed.asList() ) {
         const Quill::ValueList & pair = member.asList();
         EXPECT_EQ( pair.size(), 2u );
         EXPECT_EQ( pair[ 1 ].asPtr< Slice >()->modId(), pair[ 0 ].as< StrataCentral::ModId >() );
         keys.push_back( pair[ 0 ].as< StrataCentral::ModId >().value() );
      }
      return keys;
   };
   EXPECT_EQ( keysOf( generic( root, collection, Quill::AttrOp::iterate ).value ),
              ( std::vector< unsigned >{ 1, 4, 6 } ) );
   EXPECT_EQ( keysOf( generic( root, collection, Quill::AttrOp::iterate, { boxedMod( 4 ) } ).value ),
              ( std::vector< unsigned >{ 4, 6 } ) );
   EXPECT_EQ( keysOf( generic( root, collection, Quill::AttrOp::iterate, { boxedMod( 5 ) } ).value ),
              std::vector< unsigned >{ 6 } );

   GenericResult removed = generic( root, collection, Quill::AttrOp::del, { boxedMod( 4 ) } );
   EXPECT_EQ( removed.value.asPtr< Slice >()->modId(), mod( 4 ) );
   EXPECT_FALSE( generic( root, collection, Quill::AttrOp::del, { boxedMod( 4 ) } ).value.asPtr< Slice >() );
   EXPECT_EQ( root->strataPacketTracerSliceSms().size(), 2u );
   EXPECT_EQ( generic( root, collection, Quill::AttrOp::call ).answer, Quill::AttrAnswer::notSupported );
   EXPECT_THROW( generic( root, collection, Quill::AttrOp::read, { 65 } ), Quill::RangeException );
}

TEST_F( RootSmTest, InputsAndHandleModuleThroughTheGenericInterface ) {
   auto root = makeRoot();
   EXPECT_EQ( genericRead( root, Root::sourceTrunkMapRequestDirId ).asPtr< StrataCentral::PortTabWriteRequestDir >(),
              requestDir_ );
   EXPECT_EQ( genericRead( root, Root::lPortTableWriteRequestStatusId )
                 .asPtr< StrataPacketTracer::LPortTableWriteRequestStatus >(),
              status_ );
   EXPECT_EQ( genericRead( root, Root::cfmHwConfigId ).asPtr< CfmSw::CfmHwConfig >(), cfm_ );
   EXPECT_EQ( generic( root, Root::scsdId, Quill::AttrOp::write, { scsd_ } ).answer, Quill::AttrAnswer::notSupported );

   // A module listed while the root was off is taken in by an explicit call.
   root->hasNotificationActiveIs( false );
   moduleIs( 8, 0 );
   root->hasNotificationActiveIs( true );
   genericCall( root, Root::handleModuleId, { boxedMod( 8 ) } );
   EXPECT_EQ( moduleKeys( root ), std::vector< unsigned >{ 8 } );
   EXPECT_EQ( generic( root, Root::handleModuleId, Quill::AttrOp::read ).answer, Quill::AttrAnswer::notSupported );
   EXPECT_EQ( generic( root, 137, Quill::AttrOp::read ).answer, Quill::AttrAnswer::noSuchAttribute );
   EXPECT_EQ( generic( root, 129, Quill::AttrOp::read ).answer, Quill::AttrAnswer::noSuchAttribute );
}

TEST_F( RootSmTest, ARootWithoutSharedStateMakesNoSlice ) {
   moduleIs( 1, 0 );
   auto root = Root::StrataPacketTracerSliceRootSmIs( requestDir_, request_, status_, nullptr, cfm_ );
   EXPECT_TRUE( root->hasNotificationActive() );
   EXPECT_TRUE( root->strataPacketTracerSliceSms().empty() );
   root->handleModule( mod( 1 ) );
   root->handleModule();
   root->hasNotificationActiveIs( false );
   root->hasNotificationActiveIs( true );
   EXPECT_TRUE( root->strataPacketTracerSliceSms().empty() );
   EXPECT_EQ( scsd_->publisher().subscribers(), 0u );
}

TEST_F( RootSmTest, AFailedConstructionWithdrawsTheSubscription ) {
   unitInfoIs( 0, 0x21 );
   interfaceIs( "Ethernet1", port( 1, 0, 1 ) );
   request_->intfIdIs( Lumo::IntfId( "Ethernet1" ) );
   request_->versionIs( 1 );
   moduleIs( 1, 0 );
   struct Refusal {
      static void dispatch( Vela::Publisher *, Vela::Subscriber *, short, const void *, const void * ) {
         throw std::runtime_error( "refused" );
      }
   };
   Vela::Subscriber refusal( &Refusal::dispatch, nullptr );
   requestDir_->publisher().subscriberAdd( &refusal );
   EXPECT_THROW( makeRoot(), std::runtime_error );
   requestDir_->publisher().subscriberRemove( &refusal );
   EXPECT_EQ( scsd_->publisher().subscribers(), 0u );
}

TEST_F( RootSmTest, DestructionDropsEverySliceAndSubscription ) {
   moduleIs( 1, 0 );
   moduleIs( 2, 0 );
   auto root = makeRoot();
   Vela::Ptr< Slice > held = root->strataPacketTracerSliceSm( mod( 2 ) );
   const std::size_t slicesBefore = Pallet::liveObjects( Slice::quillTypeName );
   root = nullptr;
   EXPECT_EQ( Pallet::liveObjects( Slice::quillTypeName ), slicesBefore - 1 );
   // A slice held elsewhere outlives the root, switched off.
   EXPECT_FALSE( held->hasNotificationActive() );
   EXPECT_EQ( scsd_->publisher().subscribers(), 0u );
   moduleIs( 3, 0 );
   EXPECT_EQ( Pallet::liveObjects( Slice::quillTypeName ), slicesBefore - 1 );
}

} // namespace
} // namespace PluginTest
