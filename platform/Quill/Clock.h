// The activity clock: notifiees ask to be woken at a time, and the clock
// notifies them when virtual time reaches it.
//
// Time is virtual and process-wide (Quill::System): it moves only when the
// host advances it, and every clock then notifies its due notifiees, earliest
// wake-up first (ties in the order the wake-up times were set), with the
// current time set to each one's wake-up time. A wake-up is one-shot: it is
// cleared to positive infinity (never) just before the notification, and the
// notifiee sets a new one if it wants another. A notifiee whose notifications
// are off is paused: its wake-up stays pending until they are on again.
#pragma once

#include "Quill/PtrInterface.h"
#include "Quill/Types.h"
#include "Vela/Ptr.h"

#include <limits>
#include <set>
#include <tuple>

namespace Quill {

constexpr Seconds never = std::numeric_limits< Seconds >::infinity();

// A notifiee of some framework object (its notifier).
class PtrInterface::NotifieeConst : public PtrInterface {
 public:
   const Vela::Ptr< const PtrInterface > & notifier() const noexcept { return notifier_; }
   // Watches another object; a notifiee watches at most one.
   virtual void notifierIs( const Vela::Ptr< const PtrInterface > & notifier );
   // Only a registered notifiee is notified.
   bool isRegisteredNotifiee() const noexcept { return registered_; }
   void isRegisteredNotifieeIs( bool registered ) noexcept { registered_ = registered; }
   // A change of the notifier's attribute `id`.
   virtual void onAttribute( AttributeId id ) = 0;

 protected:
   ~NotifieeConst() override = default;

 private:
   Vela::Ptr< const PtrInterface > notifier_;
   bool registered_ = false;
};

class Clock : public PtrInterface {
 public:
   static constexpr const char * quillTypeName = "Quill::Clock";
   // The attribute through which a clock announces a reached wake-up time.
   static constexpr AttributeId wakeUpAttr = 258;

   class NotifieeConst;

   Clock();
   ~Clock() override;
   const TypeInfo * fwkType() const override;

   Seconds now() const noexcept;
   // Wake-up times pending (not infinite) on this clock.
   std::size_t armedNotifiees() const noexcept { return armed_.size(); }
   std::size_t notifiees() const noexcept { return notifiees_.size(); }
   // The earliest pending wake-up, or never.
   Seconds nextWakeUp() const noexcept;

 private:
   friend class NotifieeConst;
   friend class System;
   using Entry = std::tuple< Seconds, U64, NotifieeConst * >;
   void armedIs( NotifieeConst * notifiee, Seconds wakeUp ) const;
   void attach( NotifieeConst * notifiee ) const;
   void detach( NotifieeConst * notifiee ) const;

   mutable std::set< NotifieeConst * > notifiees_;
   mutable std::set< Entry > armed_;
};

// A notifiee of a clock.
class Clock::NotifieeConst : public PtrInterface::NotifieeConst {
 public:
   ~NotifieeConst() override;
   // Watches `notifier` when it is a clock, else nothing; a pending wake-up
   // moves with the notifiee to the new clock.
   void notifierIs( const Vela::Ptr< const PtrInterface > & notifier ) override;
   const Clock * clock() const noexcept { return clock_; }

   // Asks to be notified when the time reaches `t`; infinity means never.
   void timeMinIs( Seconds t );
   Seconds timeMin() const noexcept { return timeMin_; }

 private:
   friend class Clock;
   friend class System;
   const Clock * clock_ = nullptr;
   Seconds timeMin_ = never;
   U64 armedSequence_ = 0;
};

// The activity manager's configuration: the clock it drives.
class ActivityManagerConfig : public PtrInterface {
 public:
   static constexpr const char * quillTypeName = "Quill::ActivityManagerConfig";
   const Vela::Ptr< const Clock > & clock() const noexcept { return clock_; }
   // The host may replace the clock, or take it away.
   void clockIs( const Vela::Ptr< const Clock > & clock ) { clock_ = clock; }

 private:
   Vela::Ptr< const Clock > clock_;
};

// The process's activity manager, created with its clock on first use.
const Vela::Ptr< ActivityManagerConfig > & activityManager();

class System {
 public:
   static Seconds currentTime() noexcept;
   // Host side: moves virtual time forward by `delta` (>= 0), notifying every
   // due notifiee of every clock, earliest first. Returns how many
   // notifications were delivered.
   static std::size_t advanceBy( Seconds delta );
   // Sets the virtual time (a fresh host run starts at 0). Pending wake-ups
   // stay armed at the times they were given.
   static void currentTimeIs( Seconds t ) noexcept;
};

} // namespace Quill
