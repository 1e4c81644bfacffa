// The walk over every CFM forwarding configuration (at initialisation and on
// request): each key of the walk's snapshot is set up only while it is still
// configured. The walk spares the per-key lookup while no change of the
// configuration can have happened; these cases make one happen in the middle
// of the walk, from the chip access hook of the first profile write, where
// the real agent gives the activity lock up.
#include "PluginFixture.h"

namespace {

using StrataTypes::StrataPort;

class CfmWalkTest : public PluginTest::PluginFixture {
 protected:
   void SetUp() override {
      PluginFixture::SetUp();
      unitInfoIs( 0, 0x21 );
      interfaceIs( "Ethernet3", port( 1, 0, 3 ) );
      interfaceIs( "Ethernet4", port( 1, 0, 4 ) );
      cfmKeyIs( "Ethernet3", 10 );
      cfmKeyIs( "Ethernet4", 10 );
   }
   void TearDown() override {
      chip().accessHookIs( nullptr );
      slice_ = nullptr;
      PluginFixture::TearDown();
   }
   // At the walk's first chip access (the profile write for Ethernet3),
   // `change` happens; later accesses change nothing.
   template < typename Change >
   void atFirstAccess( Change change ) {
      chip().accessHookIs( [ change, fired = false ]() mutable {
         if( !fired ) {
            fired = true;
            change();
         }
      } );
   }
   void removeEthernet4AtFirstAccess() {
      atFirstAccess(
         [ this ] { cfm_->forwardingConfig.erase( CfmSw::IntfVlanTuple( Lumo::IntfId( "Ethernet4" ), 10 ) ); } );
   }
   bool claimed( U32 port ) { return slice_->isAllocatedSrcTrunkCfmIdx( port ); }

   Vela::Ptr< Strata::StrataPacketTracerSliceSm > slice_;
};

TEST_F( CfmWalkTest, KeyRemovedDuringTheWalkIsTakenDownNotSetUp ) {
   // At initialisation the slice listens to the configuration already.
   removeEthernet4AtFirstAccess();
   slice_ = makeSlice( 1 );
   EXPECT_TRUE( claimed( 3 ) );
   EXPECT_FALSE( claimed( 4 ) );
   EXPECT_EQ( traceCount( "handleLPortTableWriteForCfm => intfVlan: (Ethernet4, 10) setup: true" ), 0u );
   // Once from the removal's notification, once from the walk's own lookup.
   EXPECT_EQ( traceCount( "handleLPortTableWriteForCfm => intfVlan: (Ethernet4, 10) setup: false" ), 2u );
}

// The snapshot keeps no references of its own: a configuration replaced in
// the middle of the walk is freed at once, and the walk must then take the
// new one from the collection, never the old one's address (the sanitizer
// build catches a touch of the freed object).
TEST_F( CfmWalkTest, ConfigurationReplacedDuringTheWalkIsSetUpWithTheNewOne ) {
   const std::size_t configsBefore = Pallet::liveObjects( CfmSw::CfmForwardingConfig::quillTypeName );
   atFirstAccess( [ this ] { cfmKeyIs( "Ethernet4", 10 ); } );
   slice_ = makeSlice( 1 );
   EXPECT_TRUE( claimed( 3 ) && claimed( 4 ) );
   EXPECT_EQ( Pallet::liveObjects( CfmSw::CfmForwardingConfig::quillTypeName ), configsBefore );
   // Once from the replacement's notification, once from the walk.
   EXPECT_EQ( traceCount( "handleLPortTableWriteForCfm => intfVlan: (Ethernet4, 10) setup: true" ), 2u );
}

TEST_F( CfmWalkTest, WalkOfASliceThatDoesNotListenLooksEveryKeyUp ) {
   slice_ = makeSlice( 1 );
   ASSERT_TRUE( claimed( 3 ) && claimed( 4 ) );
   // Both ports taken down, then the slice stops listening: the removal in
   // the middle of the next walk reaches it by no notification.
   for( U16 number : { 3, 4 } ) {
      const U32 idx = slice_->programLPortTableCfm( false, port( 1, 0, number ) );
      slice_->programSourceTrunkMapCfm( false, idx, port( 1, 0, number ) );
   }
   ASSERT_FALSE( claimed( 3 ) || claimed( 4 ) );
   slice_->hasNotificationActiveIs( false );
   removeEthernet4AtFirstAccess();
   tracesClear();

   // The walk on request, through the generic interface: no argument.
   done( slice_, Strata::StrataPacketTracerSliceSm::handleLPortTableWriteForCfmId, Quill::AttrOp::call );
   EXPECT_TRUE( claimed( 3 ) );
   EXPECT_FALSE( claimed( 4 ) );
   EXPECT_EQ( traceCount( "handleLPortTableWriteForCfm => intfVlan: (Ethernet4, 10) setup: false" ), 1u );
   slice_->hasNotificationActiveIs( true );
}

} // namespace
