// The slice's completion clock: arming by requests, the timeout, the clock
// notifiee's attachment, re-pointing and removal, and the zombie state.
#include "PluginFixture.h"

namespace PluginTest {
namespace {

using Slice = Strata::StrataPacketTracerSliceSm;

class SliceClockTest : public PluginFixture {
 protected:
   void SetUp() override {
      PluginFixture::SetUp();
      unitInfoIs( 0, 0x21 );
      interfaceIs( "Ethernet1", port( 1, 0, 1 ) );
   }
   std::size_t handleClockLines() const { return tracesOf( "handleClock" ).size(); }
};

TEST_F( SliceClockTest, AttachingRunsHandleClockOnceAndLeavesTheClockDisarmed ) {
   auto slice = makeSlice();
   const auto lines = tracesOf( "handleClock" );
   ASSERT_EQ( lines.size(), 1u );
   EXPECT_EQ( lines[ 0 ].text, "handleClock" );
   EXPECT_EQ( lines[ 0 ].line, 42 );
   EXPECT_EQ( lines[ 0 ].file, Strata::traceFile );
   EXPECT_EQ( slice->clock(), activityClock() );
   ASSERT_TRUE( slice->clockNotifiee() );
   EXPECT_EQ( slice->clockNotifiee()->timeMin(), Quill::never );
   EXPECT_TRUE( slice->clockNotifiee()->hasNotificationActive() );
   EXPECT_EQ( slice->clockNotifiee()->owner(), slice.ptr() );
   EXPECT_EQ( status_->version(), 0u );
}

TEST_F( SliceClockTest, AnAppliedRequestCompletesAfterTheTimeout ) {
   auto slice = makeSlice();
   requestIs( "Ethernet1", true, false, { "trace", 7 } );
   EXPECT_TRUE( slice->handleClockCalled() );
   EXPECT_EQ( Quill::System::advanceBy( 1.9 ), 0u );
   EXPECT_EQ( status_->version(), 0u );
   // The completion carries the request id current at completion time.
   request_->requestIdIs( { "trace", 8 } );
   EXPECT_EQ( Quill::System::advanceBy( 0.1 ), 1u );
   EXPECT_EQ( status_->state(), PacketTracer::State::stateHandled );
   EXPECT_EQ( status_->requestId(), ( PacketTracer::RequestId{ "trace", 8 } ) );
   EXPECT_EQ( status_->version(), 1u );
   EXPECT_FALSE( slice->handleClockCalled() );
   EXPECT_EQ( slice->clockNotifiee()->timeMin(), Quill::never );
}

TEST_F( SliceClockTest, AWithdrawalCompletesAtTheNextNotification ) {
   auto slice = makeSlice();
   requestIs( "Ethernet1", false, false );
   EXPECT_EQ( Quill::System::advanceBy( 0 ), 1u );
   EXPECT_EQ( status_->version(), 1u );
   EXPECT_EQ( Quill::System::currentTime(), 0.0 );
}

TEST_F( SliceClockTest, TimeoutWrittenGenericallyShortensOnlyTheNextArming ) {
   auto slice = makeSlice();
   requestIs( "Ethernet1", true, false );
   const Quill::Seconds armedAt = slice->clockNotifiee()->timeMin();
   GenericResult r = generic( slice, Slice::timeoutId, Quill::AttrOp::write, { 0.5 } );
   ASSERT_EQ( r.answer, Quill::AttrAnswer::done );
   EXPECT_EQ( slice->timeout(), 0.5 );
   EXPECT_EQ( genericRead( slice, Slice::timeoutId ).asDouble(), 0.5 );
   EXPECT_EQ( slice->clockNotifiee()->timeMin(), armedAt ) << "an armed wake-up must not move";
   Quill::System::advanceBy( 2.0 );
   EXPECT_EQ( status_->version(), 1u );

   requestIs( "Ethernet1", true, false );
   Quill::System::advanceBy( 0.4 );
   EXPECT_EQ( status_->version(), 1u );
   Quill::System::advanceBy( 0.1 );
   EXPECT_EQ( status_->version(), 2u );
}

TEST_F( SliceClockTest, HandleClockWhileDisarmedOnlyTraces ) {
   auto slice = makeSlice();
   tracesClear();
   genericCall( slice, Slice::handleClockId );
   EXPECT_EQ( traceTexts( "handleClock" ), std::vector< std::string >{ "handleClock" } );
   EXPECT_EQ( status_->version(), 0u );
   EXPECT_EQ( status_->state(), PacketTracer::State::stateUnknown );
}

TEST_F( SliceClockTest, SameClockChangesNothingAnotherClockCompletesAtOnce ) {
   auto slice = makeSlice();
   requestIs( "Ethernet1", true, false );
   tracesClear();
   slice->clockIs( activityClock() );
   EXPECT_EQ( handleClockLines(), 0u );
   EXPECT_TRUE( slice->handleClockCalled() );

   Vela::Ptr< Quill::Clock > other = Pallet::make< Quill::Clock >();
   auto notifiee = slice->clockNotifiee();
   slice->clockIs( other );
   EXPECT_EQ( slice->clockNotifiee(), notifiee ) << "the notifiee is re-pointed, not replaced";
   EXPECT_EQ( handleClockLines(), 1u );
   EXPECT_EQ( status_->version(), 1u );
   EXPECT_EQ( slice->clock(), other );
   EXPECT_EQ( activityClock()->notifiees(), 0u );
   EXPECT_EQ( other->notifiees(), 1u );
   slice->clockIs( activityClock() );
}

TEST_F( SliceClockTest, WithoutANotifieeRequestsWaitForTheNextClock ) {
   auto slice = makeSlice();
   GenericResult r = generic( slice, Slice::clockId, Quill::AttrOp::write, { Quill::Value() } );
   ASSERT_EQ( r.answer, Quill::AttrAnswer::done );
   EXPECT_FALSE( slice->clockNotifiee() );
   EXPECT_TRUE( genericRead( slice, Slice::clockId ).isObject() );
   EXPECT_FALSE( genericRead( slice, Slice::clockId ).asObject() );
   EXPECT_EQ( activityClock()->notifiees(), 0u );

   // Arming without a notifiee neither fails nor completes.
   requestIs( "Ethernet1", true, false );
   EXPECT_TRUE( slice->handleClockCalled() );
   Quill::System::advanceBy( 5 );
   EXPECT_EQ( status_->version(), 0u );

   // A clock attached again runs handleClock, which completes at once.
   generic( slice, Slice::clockId, Quill::AttrOp::write, { activityClock() } );
   EXPECT_EQ( slice->clock(), activityClock() );
   EXPECT_EQ( status_->version(), 1u );
}

TEST_F( SliceClockTest, ClockDelHandsBackTheWatchedClockAndDetaches ) {
   auto slice = makeSlice();
   auto notifiee = slice->clockNotifiee();
   EXPECT_EQ( slice->clockDel(), activityClock() );
   EXPECT_FALSE( slice->clockNotifiee() );
   EXPECT_EQ( notifiee->owner(), nullptr );
   EXPECT_TRUE( notifiee->quillMarkedForDeletion() );
   EXPECT_FALSE( notifiee->hasNotificationActive() );
   EXPECT_FALSE( slice->clockDel() );
   notifiee = nullptr;
   EXPECT_EQ( activityClock()->notifiees(), 0u );
}

TEST_F( SliceClockTest, APausedSliceHearsItsClockOnlyWhenSwitchedOnAgain ) {
   auto slice = makeSlice();
   requestIs( "Ethernet1", false, false );
   slice->hasNotificationActiveIs( false );
   EXPECT_FALSE( slice->clockNotifiee()->hasNotificationActive() );
   Quill::System::advanceBy( 1 );
   EXPECT_EQ( status_->version(), 0u );
   slice->hasNotificationActiveIs( true );
   Quill::System::advanceBy( 0 );
   EXPECT_EQ( status_->version(), 1u );
}

TEST_F( SliceClockTest, AZombieSliceIgnoresItsClock ) {
   auto slice = makeSlice();
   requestIs( "Ethernet1", true, false );
   slice->quillDoZombieReactors( true );
   EXPECT_TRUE( slice->clockNotifiee()->quillMarkedForDeletion() );
   tracesClear();
   Quill::System::advanceBy( 3 );
   EXPECT_EQ( handleClockLines(), 0u );
   EXPECT_EQ( status_->version(), 0u );
   // Re-pointing a zombie's notifiee does not run the handler either.
   Vela::Ptr< Quill::Clock > other = Pallet::make< Quill::Clock >();
   slice->clockIs( other );
   EXPECT_EQ( handleClockLines(), 0u );
   slice->clockIs( nullptr );
}

TEST_F( SliceClockTest, ADestroyedSliceLeavesNoNotifieeBehind ) {
   auto slice = makeSlice();
   requestIs( "Ethernet1", true, false );
   Vela::Ptr< Slice::QuillClock > notifiee = slice->clockNotifiee();
   slice = nullptr;
   // Someone still holding the notifiee gets no slice to call.
   EXPECT_EQ( notifiee->owner(), nullptr );
   EXPECT_TRUE( notifiee->quillMarkedForDeletion() );
   notifiee->onAttribute( Quill::Clock::wakeUpAttr );
   notifiee = nullptr;
   Quill::System::advanceBy( 3 );
   EXPECT_EQ( status_->version(), 0u );
}

} // namespace
} // namespace PluginTest
