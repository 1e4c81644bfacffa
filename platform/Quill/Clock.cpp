#include "Quill/Clock.h"

#include "Pallet/Pallet.h"
#include "Quill/FrameworkTypes.h"

#include <cmath>
#include <vector>

namespace Quill {

namespace {
Seconds virtualNow = 0;

// Arming order, counted over every clock: equal wake-up times on different
// clocks must still be notified in the order they were set.
U64 armingSequence = 0;

// Every live clock, so that advancing time reaches all of them.
std::set< const Clock * > &
liveClocks() {
   static auto * clocks = new std::set< const Clock * >;
   return *clocks;
}
} // namespace

void
PtrInterface::NotifieeConst::notifierIs( const Vela::Ptr< const PtrInterface > & notifier ) {
   notifier_ = notifier;
}

Clock::Clock() {
   liveClocks().insert( this );
}

Clock::~Clock() {
   liveClocks().erase( this );
   for( NotifieeConst * n : notifiees_ ) {
      n->clock_ = nullptr;
   }
}

const TypeInfo *
Clock::fwkType() const {
   return &FrameworkTypes::clock();
}

Seconds
Clock::now() const noexcept {
   return virtualNow;
}

Seconds
Clock::nextWakeUp() const noexcept {
   return armed_.empty() ? never : std::get< 0 >( *armed_.begin() );
}

void
Clock::attach( NotifieeConst * notifiee ) const {
   notifiees_.insert( notifiee );
   notifiee->clock_ = this;
   armedIs( notifiee, notifiee->timeMin_ );
}

void
Clock::detach( NotifieeConst * notifiee ) const {
   if( notifiee->timeMin_ != never ) {
      armed_.erase( Entry{ notifiee->timeMin_, notifiee->armedSequence_, notifiee } );
   }
   notifiees_.erase( notifiee );
   notifiee->clock_ = nullptr;
}

void
Clock::armedIs( NotifieeConst * notifiee, Seconds wakeUp ) const {
   if( wakeUp != never ) {
      notifiee->armedSequence_ = ++armingSequence;
      armed_.insert( Entry{ wakeUp, notifiee->armedSequence_, notifiee } );
   }
}

Clock::NotifieeConst::~NotifieeConst() {
   if( clock_ ) {
      clock_->detach( this );
   }
}

void
Clock::NotifieeConst::notifierIs( const Vela::Ptr< const PtrInterface > & notifier ) {
   const Clock * wanted = dynamic_cast< const Clock * >( notifier.ptr() );
   if( clock_ ) {
      clock_->detach( this );
   }
   PtrInterface::NotifieeConst::notifierIs( wanted ? notifier : Vela::Ptr< const PtrInterface >() );
   if( wanted ) {
      wanted->attach( this );
   }
}

void
Clock::NotifieeConst::timeMinIs( Seconds t ) {
   if( std::isnan( t ) ) {
      t = never;
   }
   if( clock_ && timeMin_ != never ) {
      clock_->armed_.erase( Entry{ timeMin_, armedSequence_, this } );
   }
   timeMin_ = t;
   if( clock_ ) {
      clock_->armedIs( this, t );
   }
}

const Vela::Ptr< ActivityManagerConfig > &
activityManager() {
   static const Vela::Ptr< ActivityManagerConfig > * manager = [] {
      auto * m = new Vela::Ptr< ActivityManagerConfig >( Pallet::make< ActivityManagerConfig >() );
      ( *m )->clockIs( Pallet::make< Clock >() );
      return m;
   }();
   return *manager;
}

Seconds
System::currentTime() noexcept {
   return virtualNow;
}

void
System::currentTimeIs( Seconds t ) noexcept {
   virtualNow = t;
}

std::size_t
System::advanceBy( Seconds delta ) {
   const Seconds target = virtualNow + ( delta > 0 ? delta : 0 );
   std::size_t delivered = 0;
   for( ;; ) {
      // The earliest due wake-up over every clock.
      const Clock * dueClock = nullptr;
      Clock::Entry due{ never, 0, nullptr };
      for( const Clock * c : liveClocks() ) {
         // A notifiee whose notifications are off, or that is not
         // registered, is paused: its wake-up waits until it is switched on
         // (registered) again.
         for( const Clock::Entry & entry : c->armed_ ) {
            if( !( entry < due ) ) {
               break;
            }
            if( std::get< 2 >( entry )->hasNotificationActive() && std::get< 2 >( entry )->isRegisteredNotifiee() ) {
               due = entry;
               dueClock = c;
               break;
            }
         }
      }
      if( !dueClock || std::get< 0 >( due ) > target ) {
         break;
      }
      Clock::NotifieeConst * notifiee = std::get< 2 >( due );
      // Keep both alive through the callback, which may drop their last
      // references elsewhere. An object nobody counts is owned some other way
      // (a member, a local); a reference taken and dropped here would destroy
      // it, so it is left alone.
      Vela::Ptr< const Clock > clockHold;
      if( dueClock->references() ) {
         clockHold = Vela::Ptr< const Clock >( dueClock );
      }
      Vela::Ptr< Clock::NotifieeConst > notifieeHold;
      if( notifiee->references() ) {
         notifieeHold = Vela::Ptr< Clock::NotifieeConst >( notifiee );
      }
      virtualNow = std::max( virtualNow, std::get< 0 >( due ) );
      notifiee->timeMinIs( never );
      notifiee->onAttribute( Clock::wakeUpAttr );
      ++delivered;
   }
   // A callback that advanced time itself may have gone past the target;
   // time never runs backwards.
   virtualNow = std::max( virtualNow, target );
   return delivered;
}

} // namespace Quill
