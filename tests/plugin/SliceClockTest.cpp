// The slice's completion clock: the timeout written generically, the clock
// notifiee's re-pointing, pausing and destruction. (The completion protocol
// itself is shown end to end by scenarios/tracer_timeout.scn.)
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

TEST_F( SliceClockTest, TimeoutWrittenGenericallyShortensOnlyTheNextArming ) {
   requestIs( "Ethernet1", true );
   const Quill::Seconds armedAt = slice->clockNotifiee()->timeMin();
   done( slice, Slice::timeoutId, Quill::AttrOp::write, { 0.5 } );
   EXPECT_EQ( done( slice, Slice::timeoutId, Quill::AttrOp::read ).asDouble(), 0.5 );
   EXPECT_EQ( slice->clockNotifiee()->timeMin(), armedAt ) << "an armed wake-up must not move";
   Quill::System::advanceBy( 2.0 );
   EXPECT_EQ( status_->version(), 1u );
   requestIs( "Ethernet1", true );
   Quill::System::advanceBy( 0.4 );
   EXPECT_EQ( status_->version(), 1u );
   Quill::System::advanceBy( 0.1 );
   EXPECT_EQ( status_->version(), 2u );
   EXPECT_THROW( generic( slice, Slice::timeoutId, Quill::AttrOp::write, { "soon" } ), Quill::RangeException );
}

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

TEST_F( SliceClockTest, ADestroyedSliceIsNeverCalledByItsClock ) {
   requestIs( "Ethernet1", true );
   Vela::Ptr< Slice::QuillClock > notifiee = slice->clockNotifiee();
   // Neither another attribute of the clock nor a wake-up reaching a slice
   // marked for deletion completes anything.
   notifiee->onAttribute( Quill::Clock::wakeUpAttr + 1 );
   slice->quillDoZombieReactors( true );
   notifiee->onAttribute( Quill::Clock::wakeUpAttr );
   EXPECT_EQ( status_->version(), 0u );
   slice = nullptr;
   EXPECT_EQ( notifiee->owner(), nullptr ) << "someone still holding the notifiee gets no slice to call";
   notifiee->onAttribute( Quill::Clock::wakeUpAttr );
   notifiee = nullptr;
   Quill::System::advanceBy( 3 );
   EXPECT_EQ( status_->version(), 0u );
}

} // namespace
} // namespace PluginTest
