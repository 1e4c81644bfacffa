// The activity clock: who is woken, when, in which order, and with what time.
#include "Quill/Clock.h"
#include "Pallet/Pallet.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Quill::System;

// Logs "name@time" for each notification, then runs an optional reaction.
// (That the notification is the wake-up attribute: the slices, which
// complete nothing on another one, plugin/SliceClockTest.cpp.)
struct Alarm : Quill::Clock::NotifieeConst {
   static constexpr const char * quillTypeName = "Test::Alarm";
   Alarm( std::string n, std::vector< std::string > & l ) : name( std::move( n ) ), log( l ) {
      hasNotificationActiveIs( true );
      isRegisteredNotifieeIs( true );
   }
   void onAttribute( Quill::AttributeId ) override {
      EXPECT_EQ( timeMin(), Quill::never ) << "a wake-up is cleared before its notification";
      log.push_back( name + "@" + std::to_string( int( System::currentTime() ) ) );
      if( reaction ) {
         reaction();
      }
   }
   std::string name;
   std::vector< std::string > & log;
   std::function< void() > reaction;
};

class ClockTest : public ::testing::Test {
 protected:
   void SetUp() override { System::currentTimeIs( 0 ); }
   Vela::Ptr< Alarm > alarm( const std::string & name, Quill::Seconds at,
                             Vela::Ptr< const Quill::Clock > on = nullptr ) {
      auto a = Pallet::make< Alarm >( name, log );
      a->notifierIs( on ? on : clock );
      a->timeMinIs( at );
      return a;
   }
   Vela::Ptr< Quill::Clock > clock = Pallet::make< Quill::Clock >();
   std::vector< std::string > log;
};

TEST_F( ClockTest, EarliestFirstTiesInArmingOrderAcrossClocksWithTheWakeUpTimeAsNow ) {
   auto other = Pallet::make< Quill::Clock >();
   auto late = alarm( "late", 3 ), early = alarm( "early", 1 ), tiedOther = alarm( "tiedOther", 3, other );
   auto tied = alarm( "tied", 3 ), never = alarm( "never", Quill::never ), unregistered = alarm( "unregistered", 2 );
   unregistered->isRegisteredNotifieeIs( false ); // waits: not registered
   EXPECT_EQ( clock->armedNotifiees(), 4u );
   EXPECT_EQ( clock->nextWakeUp(), 1 );
   EXPECT_EQ( System::advanceBy( 5 ), 4u );
   EXPECT_EQ( log, ( std::vector< std::string >{ "early@1", "late@3", "tiedOther@3", "tied@3" } ) );
   EXPECT_EQ( System::currentTime(), 5 );
   EXPECT_EQ( System::advanceBy( 1e9 ), 0u ) << "positive infinity never fires, nor an unregistered notifiee";
   unregistered->isRegisteredNotifieeIs( true );
   EXPECT_EQ( System::advanceBy( 0 ), 1u ) << "registered, its wake-up is long due";
   // Due now: advanceBy( 0 ) is enough, and a nested advance is never undone.
   late->timeMinIs( System::currentTime() );
   late->reaction = [] { System::advanceBy( 10 ); };
   EXPECT_EQ( System::advanceBy( 0 ), 1u );
   EXPECT_EQ( System::currentTime(), 1e9 + 15 );

   // A pending wake-up moves with its notifiee to another clock.
   tied->timeMinIs( 7 );
   tied->notifierIs( other );
   EXPECT_EQ( clock->armedNotifiees(), 0u );
   EXPECT_EQ( other->nextWakeUp(), 7 );
}

TEST_F( ClockTest, NotifieesDestroyedByCallbacksOrOwnedOutsideCountingAreSafe ) {
   auto first = alarm( "first", 1 ), victim = alarm( "victim", 1 ), third = alarm( "third", 2 );
   first->reaction = [ & ] { victim = nullptr; };
   third->reaction = [ & ] { third = nullptr; }; // drops its own last reference
   Alarm member( "member", log );                // owned as a plain object, never counted
   member.notifierIs( clock );
   member.timeMinIs( 3 );
   EXPECT_EQ( System::advanceBy( 5 ), 3u );
   member.timeMinIs( 6 );
   System::advanceBy( 1 );
   EXPECT_EQ( log, ( std::vector< std::string >{ "first@1", "third@2", "member@3", "member@6" } ) );
   EXPECT_EQ( clock->notifiees(), 2u );
}

} // namespace
