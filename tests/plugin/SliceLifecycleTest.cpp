// The slice's lifecycle: its state after creation, the pending-request
// check, subscriptions and their switching, null inputs, failed
// construction, destruction, its type and its generic attribute access.
#include "PluginFixture.h"

namespace PluginTest {
namespace {

using Slice = Strata::StrataPacketTracerSliceSm;

class SliceLifecycleTest : public PluginFixture {
 protected:
   std::size_t subscribersOnInputs() const {
      return scsd_->publisher().subscribers() + request_->publisher().subscribers() +
             cfm_->publisher().subscribers();
   }
};

// A subscriber whose callback fails: makes the posting of a source-trunk-map
// request, and with it whatever posts it, throw.
struct ThrowingSubscriber {
   static void dispatch( Vela::Publisher *, Vela::Subscriber *, short, const void *, const void * ) {
      throw std::runtime_error( "request directory refused the request" );
   }
   Vela::Subscriber subscriber{ &dispatch, nullptr };
};

TEST_F( SliceLifecycleTest, ANewSliceIsInitialisedWithItsInitialValues ) {
   auto slice = makeSlice( 4 );
   EXPECT_TRUE( slice->initialized() );
   EXPECT_TRUE( slice->hasNotificationActive() );
   EXPECT_FALSE( slice->quillMarkedForDeletion() );
   EXPECT_EQ( slice->modId(), mod( 4 ) );
   EXPECT_EQ( slice->sourceTrunkMapRequestDir(), requestDir_ );
   EXPECT_EQ( slice->lPortTableWriteRequestConfig(), request_ );
   EXPECT_EQ( slice->lPortTableWriteRequestStatus(), status_ );
   EXPECT_EQ( slice->scsd(), scsd_ );
   EXPECT_EQ( slice->cfmHwConfig(), cfm_ );
   EXPECT_EQ( slice->timeout(), 2.0 );
   EXPECT_FALSE( slice->handleClockCalled() );
   EXPECT_EQ( slice->sizeSrcTrunkTbl(), 160u );
   EXPECT_EQ( slice->lPortRsvdProfileIdx(), 0u );
   EXPECT_EQ( slice->lPortCfmProfileIdx(), 1u );
   EXPECT_EQ( slice->lPortProfileIdx(), 5u );
   EXPECT_EQ( slice->lportProfileIdxRefCount(), 0u );
   EXPECT_EQ( slice->clockNotifiee()->timeMin(), Quill::never );

   const Quill::TraceRecord * init = findTrace( "handleInitialized", "handleInitialized" );
   ASSERT_NE( init, nullptr );
   EXPECT_EQ( init->line, 21 );
   EXPECT_EQ( init->file, Strata::traceFile );
   EXPECT_EQ( traceCount( "Handle pending LportWrite request" ), 0u );
   EXPECT_TRUE( tracesOf( "handleLPortTableWriteRequest" ).empty() );
   // Nothing touches the chip when nothing is pending.
   EXPECT_EQ( chip().callCountAll(), 0u );
}

TEST_F( SliceLifecycleTest, ARequestPendingAtCreationIsHandledOnce ) {
   request_->versionIs( 3 );
   status_->versionIs( 2 );
   auto slice = makeSlice();
   const Quill::TraceRecord * pending = findTrace( "handleInitialized", "Handle pending LportWrite request" );
   ASSERT_NE( pending, nullptr );
   EXPECT_EQ( pending->line, 33 );
   EXPECT_EQ( traceCount( "handleLPortTableWriteRequest" ), 1u );

   tracesClear();
   status_->versionIs( 3 );
   auto settled = makeSlice( 2 );
   EXPECT_EQ( traceCount( "Handle pending LportWrite request" ), 0u );
   EXPECT_EQ( traceCount( "handleLPortTableWriteRequest" ), 0u );
}

TEST_F( SliceLifecycleTest, InterfacesOfEitherCollectionAreOnTheSlice ) {
   auto slice = makeSlice( 9 );
   scsd_->intf.set( Lumo::IntfId( "Ethernet1" ), false );
   scsd_->unusedIntf.set( Lumo::IntfId( "Ethernet2" ), false );
   tracesClear();
   EXPECT_TRUE( slice->intfOnSlice( Lumo::IntfId( "Ethernet1" ) ) );
   EXPECT_TRUE( slice->intfOnSlice( Lumo::IntfId( "Ethernet2" ) ) );
   EXPECT_FALSE( slice->intfOnSlice( Lumo::IntfId( "Ethernet3" ) ) );
   const auto lines = tracesOf( "intfOnSlice" );
   ASSERT_EQ( lines.size(), 3u );
   EXPECT_EQ( lines[ 1 ].text, "intfOnSlice intfId : Ethernet2" );
   EXPECT_EQ( lines[ 1 ].line, 58 );
   EXPECT_FALSE( genericCall( slice, Slice::intfOnSliceId,
                              { Quill::Value::boxed( Lumo::IntfId( "Ethernet4" ) ) } )
                    .asBool() );
}

TEST_F( SliceLifecycleTest, SwitchingNotificationsKeepsOneSubscriptionPerInput ) {
   auto slice = makeSlice();
   EXPECT_EQ( scsd_->publisher().subscribers(), 1u );
   EXPECT_EQ( request_->publisher().subscribers(), 1u );
   EXPECT_EQ( cfm_->publisher().subscribers(), 1u );

   slice->hasNotificationActiveIs( false );
   EXPECT_EQ( subscribersOnInputs(), 0u );
   EXPECT_FALSE( slice->clockNotifiee()->hasNotificationActive() );
   slice->hasNotificationActiveIs( false );
   EXPECT_EQ( subscribersOnInputs(), 0u );
   // Switched off, the slice hears no request.
   tracesClear();
   request_->versionIs( 9 );
   EXPECT_EQ( traceCount( "handleLPortTableWriteRequest" ), 0u );

   slice->hasNotificationActiveIs( true );
   slice->hasNotificationActiveIs( true );
   EXPECT_EQ( scsd_->publisher().subscribers(), 1u );
   EXPECT_EQ( request_->publisher().subscribers(), 1u );
   EXPECT_EQ( cfm_->publisher().subscribers(), 1u );
   EXPECT_TRUE( slice->clockNotifiee()->hasNotificationActive() );
   request_->versionIs( 10 );
   EXPECT_EQ( traceCount( "handleLPortTableWriteRequest" ), 1u );
}

TEST_F( SliceLifecycleTest, AZombieSliceIgnoresItsInputs ) {
   auto slice = makeSlice();
   slice->quillDoZombieReactors( true );
   EXPECT_TRUE( slice->quillMarkedForDeletion() );
   tracesClear();
   request_->versionIs( 5 );
   EXPECT_EQ( traceCount( "handleLPortTableWriteRequest" ), 0u );
   slice->quillDoZombieReactors( false );
   EXPECT_FALSE( slice->clockNotifiee()->quillMarkedForDeletion() );
   request_->versionIs( 6 );
   EXPECT_EQ( traceCount( "handleLPortTableWriteRequest" ), 1u );
}

TEST_F( SliceLifecycleTest, NullInputsMakeAWorkingSliceThatWatchesNothing ) {
   request_->versionIs( 1 ); // would be pending, but there is no status to compare with
   auto slice = makeSlice( nullptr, request_, nullptr, nullptr, 2, nullptr );
   EXPECT_TRUE( slice->initialized() );
   EXPECT_EQ( traceCount( "Handle pending LportWrite request" ), 0u );
   EXPECT_EQ( request_->publisher().subscribers(), 1u );
   EXPECT_FALSE( slice->intfOnSlice( Lumo::IntfId( "Ethernet1" ) ) );
   slice->handleClockCalledIs( true );
   slice->handleClock();
   EXPECT_FALSE( slice->handleClockCalled() );

   auto bare = makeSlice( nullptr, nullptr, nullptr, nullptr, 3, nullptr );
   EXPECT_TRUE( bare->initialized() );
   bare->hasNotificationActiveIs( false );
   bare->hasNotificationActiveIs( true );
   EXPECT_EQ( request_->publisher().subscribers(), 1u );
}

TEST_F( SliceLifecycleTest, WithoutAnActivityClockTheSliceHasNoNotifiee ) {
   Vela::Ptr< const Quill::Clock > clock = activityClock();
   Quill::activityManager()->clockIs( nullptr );
   auto slice = makeSlice();
   Quill::activityManager()->clockIs( clock );
   EXPECT_TRUE( slice->initialized() );
   EXPECT_FALSE( slice->clockNotifiee() );
   EXPECT_FALSE( slice->clock() );
}

TEST_F( SliceLifecycleTest, AFailedConstructionLeavesNothingBehind ) {
   unitInfoIs( 0, 0x21 );
   interfaceIs( "Ethernet1", port( 1, 0, 1 ) );
   request_->intfIdIs( Lumo::IntfId( "Ethernet1" ) );
   request_->versionIs( 1 );
   ThrowingSubscriber refusal;
   requestDir_->publisher().subscriberAdd( &refusal.subscriber );
   const std::size_t slicesBefore = Pallet::liveObjects( Slice::quillTypeName );
   EXPECT_THROW( makeSlice(), std::runtime_error );
   EXPECT_EQ( Pallet::liveObjects( Slice::quillTypeName ), slicesBefore );
   EXPECT_EQ( subscribersOnInputs(), 0u );
   EXPECT_EQ( activityClock()->notifiees(), 0u );
   requestDir_->publisher().subscriberRemove( &refusal.subscriber );
}

TEST_F( SliceLifecycleTest, DestructionReleasesEverythingAndWritesNothing ) {
   const std::size_t bitmapsBefore = Pallet::liveObjects( Ferro::Bitmap::quillTypeName );
   auto slice = makeSlice();
   slice->allocateSrcTrunkIdx( 3 );
   EXPECT_EQ( Pallet::liveObjects( Ferro::Bitmap::quillTypeName ), bitmapsBefore + 2 );
   const U32 scsdRefs = scsd_->references();
   chip().callCountsClear();
   slice = nullptr;
   EXPECT_EQ( Pallet::liveObjects( Ferro::Bitmap::quillTypeName ), bitmapsBefore );
   EXPECT_EQ( scsd_->references(), scsdRefs - 1 );
   EXPECT_EQ( subscribersOnInputs(), 0u );
   EXPECT_EQ( activityClock()->notifiees(), 0u );
   EXPECT_EQ( chip().callCountAll(), 0u );
}

TEST_F( SliceLifecycleTest, InitialisingAgainKeepsOrReplacesTheBitmapsBySize ) {
   auto slice = makeSlice();
   slice->allocateSrcTrunkIdx( 1 );
   slice->allocateSrcTrunkCfmIdx( 2 );
   genericCall( slice, Slice::handleInitializedId );
   EXPECT_TRUE( slice->isAllocatedSrcTrunkIdx( 1 ) );
   EXPECT_TRUE( slice->isAllocatedSrcTrunkCfmIdx( 2 ) );
   EXPECT_EQ( activityClock()->notifiees(), 1u );

   ASSERT_EQ( generic( slice, Slice::sizeSrcTrunkTblId, Quill::AttrOp::write, { 80 } ).answer,
              Quill::AttrAnswer::done );
   slice->handleInitialized();
   EXPECT_EQ( slice->srcTrunkBitmap()->size(), 80u );
   EXPECT_EQ( slice->srcTrunkBitmapCfm()->size(), 80u );
   EXPECT_FALSE( slice->isAllocatedSrcTrunkIdx( 1 ) );
   EXPECT_FALSE( slice->isAllocatedSrcTrunkCfmIdx( 2 ) );
}

TEST_F( SliceLifecycleTest, TheTypeListsEveryAttributeInDeclarationOrder ) {
   const char * names[] = {
      "sourceTrunkMapRequestDir", "lPortTableWriteRequestConfig", "lPortTableWriteRequestStatus", "scsd",
      "modId", "cfmHwConfig", "timeout", "handleClockCalled", "clock", "handleClock", "intfOnSlice",
      "sizeSrcTrunkTbl", "srcTrunkBitmap", "isAllocatedSrcTrunkIdx", "isAllocatedSrcTrunkCfmIdx",
      "allocatedLportCfmIdx", "allocateSrcTrunkIdx", "freeSrcTrunkIdx", "srcTrunkBitmapCfm",
      "allocateSrcTrunkCfmIdx", "freeSrcTrunkCfmIdx", "programLPortTableCfm", "programSourceTrunkMapCfm",
      "lPortRsvdProfileIdx", "lPortCfmProfileIdx", "lPortProfileIdx", "lportProfileIdxRefCount",
      "programLPortTable", "programSourceTrunkMap", "programCpuPktProfile", "handleLPortTableWriteRequest",
      "handleLPortTableWriteForCfm", "handlePortToLag", "initialized", "handleInitialized" };
   const Quill::TypeInfo * type = Quill::typeNamed( Slice::quillTypeName );
   ASSERT_NE( type, nullptr );
   EXPECT_EQ( type->index, 1u );
   ASSERT_EQ( type->attributes.size(), std::size( names ) );
   for( std::size_t i = 0; i < std::size( names ); ++i ) {
      EXPECT_EQ( type->attributes[ i ].id, Quill::AttributeId( 130 + i ) );
      EXPECT_EQ( type->attributes[ i ].name, names[ i ] );
   }
   const Quill::AttrInfo * program = type->attribute( "programSourceTrunkMapCfm" );
   ASSERT_EQ( program->params.size(), 3u );
   EXPECT_EQ( program->params[ 1 ].name, "lportIdx" );
   EXPECT_EQ( program->params[ 2 ].typeName, "StrataTypes::StrataPort" );
   EXPECT_EQ( type->attribute( "programLPortTable" )->params[ 1 ].typeName, "Strata::LportTableFields" );
}

TEST_F( SliceLifecycleTest, GenericAccessFollowsEachAttributesKind ) {
   auto slice = makeSlice( 6 );
   // Constructor attributes read only.
   EXPECT_EQ( genericRead( slice, Slice::scsdId ).asPtr< Strata::StrataCommonSmData >(), scsd_ );
   EXPECT_EQ( genericRead( slice, Slice::modIdId ).as< StrataCentral::ModId >(), mod( 6 ) );
   EXPECT_EQ( generic( slice, Slice::modIdId, Quill::AttrOp::write, { Quill::Value::boxed( mod( 7 ) ) } ).answer,
              Quill::AttrAnswer::notSupported );
   EXPECT_EQ( generic( slice, Slice::cfmHwConfigId, Quill::AttrOp::del ).answer, Quill::AttrAnswer::notSupported );

   // Value attributes round-trip, with narrowing checked against the type.
   struct Written {
      Quill::AttributeId id;
      Quill::Value value;
   };
   const Written writes[] = { { Slice::handleClockCalledId, true },   { Slice::sizeSrcTrunkTblId, 255 },
                              { Slice::lPortRsvdProfileIdxId, 2u },   { Slice::lPortCfmProfileIdxId, 3u },
                              { Slice::lPortProfileIdxId, 0xFFFFFFFFu }, { Slice::lportProfileIdxRefCountId, 9 },
                              { Slice::initializedId, false } };
   for( const Written & w : writes ) {
      ASSERT_EQ( generic( slice, w.id, Quill::AttrOp::write, { w.value } ).answer, Quill::AttrAnswer::done ) << w.id;
      EXPECT_TRUE( genericRead( slice, w.id ).equals( w.value ) ) << w.id;
   }
   EXPECT_EQ( slice->lPortProfileIdx(), 0xFFFFFFFFu );
   EXPECT_FALSE( slice->initialized() );
   try {
      generic( slice, Slice::sizeSrcTrunkTblId, Quill::AttrOp::write, { 256 } );
      ADD_FAILURE() << "256 accepted for an 8-bit attribute";
   } catch( const Quill::RangeException & e ) {
      EXPECT_NE( std::string( e.what() ).find( "sizeSrcTrunkTbl" ), std::string::npos ) << e.what();
   }
   EXPECT_EQ( slice->sizeSrcTrunkTbl(), 255u );
   EXPECT_THROW( generic( slice, Slice::timeoutId, Quill::AttrOp::write, { "soon" } ), Quill::RangeException );

   // Operations are called, never read; arguments are checked by name.
   EXPECT_EQ( generic( slice, Slice::handleClockId, Quill::AttrOp::read ).answer, Quill::AttrAnswer::notSupported );
   try {
      generic( slice, Slice::handlePortToLagId, Quill::AttrOp::call, { 5 } );
      ADD_FAILURE() << "a number accepted for a port";
   } catch( const Quill::RangeException & e ) {
      EXPECT_NE( std::string( e.what() ).find( "'sp'" ), std::string::npos ) << e.what();
   }
   EXPECT_THROW( generic( slice, Slice::isAllocatedSrcTrunkIdxId, Quill::AttrOp::call ), Quill::RangeException );
   EXPECT_EQ( generic( slice, Slice::handleLPortTableWriteForCfmId, Quill::AttrOp::call ).answer,
              Quill::AttrAnswer::done );
   EXPECT_EQ( generic( slice, Slice::handleLPortTableWriteForCfmId, Quill::AttrOp::call,
                       { Quill::Value::boxed( CfmSw::IntfVlanTuple( Lumo::IntfId( "Ethernet1" ), 10 ) ) } )
                 .answer,
              Quill::AttrAnswer::done );
   EXPECT_EQ( genericCall( slice, Slice::programLPortTableCfmId,
                           { false, Quill::Value::boxed( port( 6, 0, 1 ) ) } )
                 .asUnsigned(),
              2u ) << "not initialised: the reserved profile (now 2)";

   EXPECT_EQ( generic( slice, 129, Quill::AttrOp::read ).answer, Quill::AttrAnswer::noSuchAttribute );
   EXPECT_EQ( generic( slice, 165, Quill::AttrOp::call ).answer, Quill::AttrAnswer::noSuchAttribute );
}

} // namespace
} // namespace PluginTest
