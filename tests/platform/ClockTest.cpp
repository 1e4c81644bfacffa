// The activity clock: who is woken, when, in which order, and with what time.
#include "Pallet/Pallet.h"
#include "Quill/Clock.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Quill::Seconds;
using Quill::System;

struct Wake {
   std::string who;
   Seconds at;
   bool operator==( const Wake & ) const = default;
};
std::ostream &
operator<<( std::ostream & out, const Wake & w ) {
   return out << w.who << "@" << w.at;
}
using Wakes = std::vector< Wake >;

// Logs each notification with the current time, then runs an optional reaction.
class Alarm : public Quill::Clock::NotifieeConst {
 public:
   static constexpr const char * quillTypeName = "Test::Alarm";

   Alarm( std::string name, Wakes & log ) : name_( std::move( name ) ), log_( log ) {
      hasNotificationActiveIs( true );
   }
   void onAttribute( Quill::AttributeId id ) override {
      EXPECT_EQ( id, Quill::Clock::wakeUpAttr );
      EXPECT_EQ( timeMin(), Quill::never ) << "a wake-up is cleared before its notification";
      log_.push_back( Wake{ name_, System::currentTime() } );
      if( reaction ) {
         reaction();
      }
   }
   std::function< void() > reaction;

 private:
   std::string name_;
   Wakes & log_;
};

class ClockTest : public ::testing::Test {
 protected:
   void SetUp() override { System::currentTimeIs( 0 ); }
   void TearDown() override { System::currentTimeIs( 0 ); }

   Vela::Ptr< Alarm > alarm( const std::string & name, Seconds at,
                             const Vela::Ptr< const Quill::Clock > & on = nullptr ) {
      auto a = Pallet::make< Alarm >( name, log );
      a->notifierIs( on ? on : clock );
      a->timeMinIs( at );
      return a;
   }

   Vela::Ptr< Quill::Clock > clock = Pallet::make< Quill::Clock >();
   Wakes log;
};

TEST_F( ClockTest, EarliestFirstTiesInArmingOrderWithTheWakeUpTimeAsNow ) {
   auto late = alarm( "late", 3 );
   auto early = alarm( "early", 1 );
   auto tied = alarm( "tied", 3 );
   auto never = alarm( "never", Quill::never );
   EXPECT_EQ( clock->armedNotifiees(), 3u );
   EXPECT_EQ( clock->nextWakeUp(), 1 );

   EXPECT_EQ( System::advanceBy( 5 ), 3u );
   EXPECT_EQ( log, ( Wakes{ { "early", 1 }, { "late", 3 }, { "tied", 3 } } ) );
   EXPECT_EQ( System::currentTime(), 5 );
   EXPECT_EQ( clock->armedNotifiees(), 0u );
   EXPECT_EQ( System::advanceBy( 1e9 ), 0u ) << "positive infinity never fires";
}

TEST_F( ClockTest, ReArmingReplacesTheEarlierWakeUp ) {
   auto a = alarm( "a", 2 );
   a->timeMinIs( 4 );
   EXPECT_EQ( clock->armedNotifiees(), 1u );
   System::advanceBy( 3 );
   EXPECT_TRUE( log.empty() );
   // Re-armed from its own notification for a time within the same advance.
   a->reaction = [ &a ] {
      if( System::currentTime() < 6 ) {
         a->timeMinIs( 6 );
      }
   };
   System::advanceBy( 5 );
   EXPECT_EQ( log, ( Wakes{ { "a", 4 }, { "a", 6 } } ) );
   a->timeMinIs( Quill::never ); // disarmed
   EXPECT_EQ( System::advanceBy( 10 ), 0u );
}

TEST_F( ClockTest, PausedNotifieeFiresAtTheNextAdvanceAfterSwitchingOn ) {
   auto paused = alarm( "paused", 1 );
   auto running = alarm( "running", 2 );
   paused->hasNotificationActiveIs( false );
   System::advanceBy( 3 );
   EXPECT_EQ( log, ( Wakes{ { "running", 2 } } ) );
   EXPECT_EQ( paused->timeMin(), 1 ) << "still pending while paused";

   paused->hasNotificationActiveIs( true );
   System::advanceBy( 0 );
   EXPECT_EQ( log, ( Wakes{ { "running", 2 }, { "paused", 3 } } ) ) << "time never runs back";
}

TEST_F( ClockTest, AdvanceByZeroNotifiesWhatIsDueNow ) {
   System::advanceBy( 2 );
   auto now = alarm( "now", 2 );
   auto later = alarm( "later", 2.5 );
   EXPECT_EQ( System::advanceBy( 0 ), 1u );
   EXPECT_EQ( log, ( Wakes{ { "now", 2 } } ) );
}

TEST_F( ClockTest, NotifieeDestroyedByAnotherCallbackIsNotNotified ) {
   auto first = alarm( "first", 1 );
   auto victim = alarm( "victim", 1 );
   auto third = alarm( "third", 2 );
   first->reaction = [ & ] { victim = nullptr; };
   // A notifiee that drops its own last reference from its callback.
   third->reaction = [ & ] { third = nullptr; };
   EXPECT_EQ( System::advanceBy( 5 ), 2u );
   EXPECT_EQ( log, ( Wakes{ { "first", 1 }, { "third", 2 } } ) );
   EXPECT_FALSE( third );
   EXPECT_EQ( clock->notifiees(), 1u );
}

TEST_F( ClockTest, NotifieeOwnedOutsideCountedReferencesSurvivesItsNotification ) {
   Alarm member( "member", log ); // owned as a plain object, never counted
   member.notifierIs( clock );
   member.timeMinIs( 1 );
   System::advanceBy( 2 );
   EXPECT_EQ( log, ( Wakes{ { "member", 1 } } ) );
   member.timeMinIs( 3 );
   System::advanceBy( 2 );
   EXPECT_EQ( log.size(), 2u );
}

TEST_F( ClockTest, TwoClocksShareTimeAndArmingOrder ) {
   auto other = Pallet::make< Quill::Clock >();
   auto b1 = alarm( "b1", 2, other );
   auto b2 = alarm( "b2", 2, other );
   auto a1 = alarm( "a1", 2 );
   auto a2 = alarm( "a2", 1 );
   EXPECT_EQ( System::advanceBy( 2 ), 4u );
   EXPECT_EQ( log, ( Wakes{ { "a2", 1 }, { "b1", 2 }, { "b2", 2 }, { "a1", 2 } } ) );

   // A pending wake-up moves with its notifiee to another clock.
   log.clear();
   a1->timeMinIs( 4 );
   a1->notifierIs( other );
   EXPECT_EQ( clock->armedNotifiees(), 0u );
   EXPECT_EQ( other->nextWakeUp(), 4 );
   System::advanceBy( 3 );
   EXPECT_EQ( log, ( Wakes{ { "a1", 4 } } ) );
   a1->notifierIs( nullptr );
   EXPECT_EQ( other->notifiees(), 2u );
}

TEST_F( ClockTest, TimeNeverRunsBackAfterANestedAdvance ) {
   auto a = alarm( "a", 1 );
   a->reaction = [] { System::advanceBy( 10 ); };
   System::advanceBy( 2 );
   EXPECT_EQ( System::currentTime(), 11 );
}

TEST_F( ClockTest, ActivityManagerDrivesTheProcessClock ) {
   auto a = alarm( "process", 2, Quill::activityManager()->clock() );
   System::advanceBy( 2 );
   EXPECT_EQ( log, ( Wakes{ { "process", 2 } } ) );
}

} // namespace
