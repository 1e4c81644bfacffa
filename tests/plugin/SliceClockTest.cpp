// The slice's completion clock: the notifiee's re-pointing, removal, pausing
// and destruction. (Arming with the timeout, written generically too, is
// followed step by step by the model runs, the completion protocol end to
// end by examples/default.scn.)
#include "PluginFixture.h"

namespace PluginTest {
namespace {

class SliceClockTest : public PluginFixture {
 protected:
   void SetUp() override {
      PluginFixture::SetUp();
      unitInfoIs( 0, 0x21 );
      interfaceIs( "Ethernet1", port( 1, 0, 1 ) );
      slice = makeSlice();
   }
   void TearDown() override {
      slice = nullptr;
      PluginFixture::TearDown();
   }
   std::size_t handleClockRuns() const { return tracesOf( "handleClock" ).size(); }
   Vela::Ptr< Slice > slice;
};

TEST_F( SliceClockTest, SameClockChangesNothingAnotherClockCompletesAtOnce ) {
   requestIs( "Ethernet1", true );
   tracesClear();
   slice->clockIs( activityClock() );
   EXPECT_EQ( handleClockRuns(), 0u );
   EXPECT_TRUE( slice->handleClockCalled() );
   Vela::Ptr< Quill::Clock > other = Pallet::make< Quill::Clock >();
   auto notifiee = slice->clockNotifiee();
   slice->clockIs( other );
   EXPECT_EQ( slice->clockNotifiee(), notifiee ) << "the notifiee is re-pointed, not replaced";
   EXPECT_EQ( handleClockRuns(), 1u );
   EXPECT_EQ( status_->version(), 1u );
   EXPECT_EQ( activityClock()->notifiees(), 0u );
   EXPECT_EQ( other->notifiees(), 1u );
   slice->clockIs( activityClock() );
}

TEST_F( SliceClockTest, APausedSliceHearsItsClockOnlyWhenSwitchedOnAgain ) {
   requestIs( "Ethernet1", false );
   slice->hasNotificationActiveIs( false );
   Quill::System::advanceBy( 1 );
   EXPECT_EQ( status_->version(), 0u );
   slice->hasNotificationActiveIs( true );
   Quill::System::advanceBy( 0 );
   EXPECT_EQ( status_->version(), 1u );
}

// A notifiee taken away (clockDel, or clockIs with no clock) is detached for
// whoever still holds it; the slice then arms nothing, and a clock attached
// again completes the waiting request at once.
TEST_F( SliceClockTest, ARemovedNotifieeIsDetachedAndAWaitingRequestCompletesOnTheNextClock ) {
   for( const bool byDel : { true, false } ) {
      Vela::Ptr< Slice::QuillClock > notifiee = slice->clockNotifiee();
      if( byDel ) {
         EXPECT_EQ( slice->clockDel(), activityClock() );
      } else {
         slice->clockIs( nullptr );
      }
      EXPECT_FALSE( slice->clockNotifiee() || slice->clock() );
      EXPECT_EQ( notifiee->owner(), nullptr );
      EXPECT_TRUE( notifiee->quillMarkedForDeletion() );
      EXPECT_FALSE( notifiee->hasNotificationActive() );
      const U32 before = status_->version();
      requestIs( "Ethernet1", false );
      Quill::System::advanceBy( 1 );
      EXPECT_EQ( status_->version(), before );
      slice->clockIs( activityClock() );
      EXPECT_EQ( status_->version(), before + 1 );
   }
}

// Made with a clock, a notifiee watches it at once, without calling its owner.
TEST_F( SliceClockTest, ANotifieeMadeWithAClockWatchesIt ) {
   Vela::Ptr< Quill::Clock > other = Pallet::make< Quill::Clock >();
   auto notifiee = Pallet::make< Slice::QuillClock >( other, slice.ptr() );
   EXPECT_EQ( notifiee->clock(), other.ptr() );
   EXPECT_EQ( other->notifiees(), 1u );
   EXPECT_EQ( tracesOf( "handleClock" ).size(), 1u ) << "only the slice's own attaching";
   notifiee->ownerIs( nullptr );
}

TEST_F( SliceClockTest, ADestroyedSliceIsNeverCalledByItsClock ) {
   requestIs( "Ethernet1", true );
   Vela::Ptr< Slice::QuillClock > notifiee = slice->clockNotifiee();
   // Neither another attribute of the clock nor, on a slice marked for
   // deletion, a wake-up or another clock completes anything.
   notifiee->onAttribute( Quill::Clock::wakeUpAttr + 1 );
   slice->quillDoZombieReactors( true );
   notifiee->onAttribute( Quill::Clock::wakeUpAttr );
   slice->clockIs( Pallet::make< Quill::Clock >() );
   EXPECT_EQ( status_->version(), 0u );
   // Nor does a new notifiee, made for a clock given after the old one went.
   slice->clockDel();
   slice->clockIs( activityClock() );
   Quill::System::advanceBy( 3 );
   EXPECT_EQ( status_->version(), 0u );
   EXPECT_TRUE( slice->clockNotifiee()->quillMarkedForDeletion() );
   notifiee = slice->clockNotifiee();
   slice->quillDoZombieReactors( false );
   slice = nullptr;
   EXPECT_EQ( notifiee->owner(), nullptr ) << "someone still holding the notifiee gets no slice to call";
   EXPECT_TRUE( notifiee->quillMarkedForDeletion() );
   notifiee->onAttribute( Quill::Clock::wakeUpAttr );
   notifiee = nullptr;
   Quill::System::advanceBy( 3 );
   EXPECT_EQ( status_->version(), 0u );
}

} // namespace
} // namespace PluginTest
