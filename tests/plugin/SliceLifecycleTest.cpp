// The slice's lifecycle: subscriptions and their switching, null inputs, the
// not-initialised state and failed construction. (Its initial values are read
// in GenericAccessTest; a request pending when a slice starts, and its claims
// at work, are followed step by step by the model runs; CFM at work by
// scenarios/plugin/cfm_*.scn and the examples; destruction is checked after every
// test by the fixture, and by the model runs' restarts.)
#include "PluginFixture.h"

namespace PluginTest {
namespace {

class SliceLifecycleTest : public PluginFixture {
 protected:
   std::size_t subscribersOnInputs() const {
      return scsd_->publisher().subscribers() + request_->publisher().subscribers() + cfm_->publisher().subscribers();
   }
   std::size_t requestsHandled() const { return tracesOf( "handleLPortTableWriteRequest" ).size(); }
};

// Switched off, a slice hears neither its inputs nor its clock; marked for
// deletion, it ignores its inputs until unmarked. (Subscriptions counted
// through the root's switch: RootSmTest.)
TEST_F( SliceLifecycleTest, SwitchedOffOrMarkedForDeletionASliceHearsNothing ) {
   auto slice = makeSlice();
   slice->hasNotificationActiveIs( false );
   EXPECT_EQ( subscribersOnInputs(), 0u );
   EXPECT_FALSE( slice->clockNotifiee()->hasNotificationActive() );
   request_->versionIs( 9 );
   EXPECT_EQ( requestsHandled(), 0u );
   slice->hasNotificationActiveIs( true );
   EXPECT_TRUE( slice->clockNotifiee()->hasNotificationActive() );
   slice->quillDoZombieReactors( true );
   request_->versionIs( 10 );
   EXPECT_EQ( requestsHandled(), 0u );
   slice->quillDoZombieReactors( false );
   request_->versionIs( 11 );
   EXPECT_EQ( requestsHandled(), 1u );
}

TEST_F( SliceLifecycleTest, NullInputsMakeAWorkingSliceThatWatchesNothing ) {
   request_->versionIs( 1 ); // would be pending, but there is no status to compare with
   auto slice = Slice::StrataPacketTracerSliceSmIs( { nullptr, request_, nullptr, nullptr, nullptr }, mod( 2 ) );
   EXPECT_TRUE( slice->initialized() );
   EXPECT_EQ( requestsHandled(), 0u );
   EXPECT_EQ( subscribersOnInputs(), 1u );
   EXPECT_FALSE( slice->intfOnSlice( Lumo::IntfId( "Ethernet1" ) ) );
   slice->handleClockCalledIs( true );
   slice->handleClock();
   EXPECT_FALSE( slice->handleClockCalled() );
   slice->hasNotificationActiveIs( false );
   slice->hasNotificationActiveIs( true );
   EXPECT_EQ( subscribersOnInputs(), 1u );

   // Without an activity clock there is no notifiee.
   Vela::Ptr< const Quill::Clock > clock = activityClock();
   Quill::activityManager()->clockIs( nullptr );
   auto unclocked = makeSlice();
   Quill::activityManager()->clockIs( clock );
   EXPECT_TRUE( unclocked->initialized() );
   EXPECT_FALSE( unclocked->clockNotifiee() || unclocked->clock() );
}

// Each handler refuses to run without the input it reads, whichever one of
// them alone is missing, and says which.
TEST_F( SliceLifecycleTest, EachHandlerNamesTheOneInputItLacks ) {
   unitInfoIs( 0, 0x21 );
   interfaceIs( "Ethernet1", port( 1, 0, 1 ) );
   request_->intfIdIs( Lumo::IntfId( "Ethernet1" ) );
   const CfmSw::IntfVlanTuple key( Lumo::IntfId( "Ethernet1" ), 10 );
   struct Case {
      Strata::SliceInputs inputs;
      std::vector< std::string > errors;
   };
   const Case cases[] = {
      { { requestDir_, nullptr, status_, scsd_, cfm_ },
        { "handleLPortTableWriteRequest ERROR: no lPortTableWriteRequestConfig" } },
      { { requestDir_, request_, status_, nullptr, cfm_ },
        { "handleLPortTableWriteRequest ERROR: no scsd",
          "handleLPortTableWriteForCfm ERROR: no scsd, intfVlan: (Ethernet1, 10) ignored",
          "handleLPortTableWriteForCfm ERROR: no scsd", "handlePortToLag ERROR: no scsd, port: 1/0/1 ignored" } },
      { { requestDir_, request_, status_, scsd_, nullptr },
        { "handleLPortTableWriteForCfm ERROR: no cfmHwConfig, intfVlan: (Ethernet1, 10) ignored",
          "handleLPortTableWriteForCfm ERROR: no cfmHwConfig" } },
   };
   for( const Case & c : cases ) {
      auto slice = Slice::StrataPacketTracerSliceSmIs( c.inputs, mod( 1 ) );
      tracesClear();
      slice->handleLPortTableWriteRequest();
      slice->handleLPortTableWriteForCfm( key );
      slice->handleLPortTableWriteForCfm();
      slice->handlePortToLag( port( 1, 0, 1 ) );
      std::vector< std::string > errors;
      for( const Quill::TraceRecord & r : traces_ ) {
         if( r.text.find( "ERROR" ) != std::string::npos ) {
            errors.push_back( r.text );
         }
      }
      EXPECT_EQ( errors, c.errors );
   }
}

// Not initialised, a slice programs nothing for CFM, and catches up at its
// next initialisation.
TEST_F( SliceLifecycleTest, ANotInitialisedSliceDoesNothingUntilItsNextInitialisation ) {
   unitInfoIs( 0, 0x21 );
   interfaceIs( "Ethernet3", port( 1, 0, 3 ) );
   auto slice = makeSlice();
   slice->initializedIs( false );
   slice->lPortRsvdProfileIdxIs( 9 );
   chip().callCountsClear();
   tracesClear();
   EXPECT_EQ( slice->programLPortTableCfm( true, port( 1, 0, 3 ) ), 9u );
   EXPECT_EQ( traceCount( "programLPortTableCfm not initialized" ), 1u );
   slice->programSourceTrunkMapCfm( true, 1, port( 1, 0, 3 ) );
   cfmKeyIs( "Ethernet3", 10 );
   EXPECT_EQ( traces_.size(), 1u );
   EXPECT_EQ( chip().callCountAll(), 0u );
   EXPECT_TRUE( requestDir_->requests().empty() );
   EXPECT_FALSE( slice->isAllocatedSrcTrunkCfmIdx( 3 ) );
   slice->handleInitialized();
   EXPECT_TRUE( slice->isAllocatedSrcTrunkCfmIdx( 3 ) );
   EXPECT_EQ( chip().entryField( 0, chip().LPORT_TABm(), 1, "cfmOnly" ), 1u ) << "the CFM profile is written";
}

// A slice made by hand, or by a root for its module.
TEST_F( SliceLifecycleTest, AFailedConstructionLeavesNothingBehind ) {
   unitInfoIs( 0, 0x21 );
   interfaceIs( "Ethernet1", port( 1, 0, 1 ) );
   request_->intfIdIs( Lumo::IntfId( "Ethernet1" ) );
   request_->versionIs( 1 );
   ThrowingSubscriber refusal;
   requestDir_->publisher().subscriberAdd( &refusal.subscriber );
   EXPECT_THROW( makeSlice(), std::runtime_error ); // the fixture checks what is left
   moduleIs( 1, 0 );
   EXPECT_THROW( makeRoot(), std::runtime_error );
   requestDir_->publisher().subscriberRemove( &refusal.subscriber );
}

} // namespace
} // namespace PluginTest
