// The slice's completion clock: the notifiee that watches the agent's clock,
// its attachment to the slice, arming and disarming, and handleClock, which
// publishes the completion of the last handled packet-tracer request.
#include "Pallet/Pallet.h"
#include "PluginTrace.h"
#include "StrataPacketTracerSliceSm.h"

namespace Strata {

// ------------------------------------------------------------------- slice

Vela::Ptr< const Quill::Clock >
StrataPacketTracerSliceSm::clock() const {
   return clock_ ? Vela::Ptr< const Quill::Clock >( clock_->clock() ) : Vela::Ptr< const Quill::Clock >();
}

void
StrataPacketTracerSliceSm::clockIs( const Vela::Ptr< const Quill::Clock > & clock ) {
   if( clock_ ) {
      if( clock_->clock() == clock.ptr() ) {
         return;
      }
      if( clock ) {
         // (The notifiee has carried the slice's deletion mark since it was
         // made, so a slice marked for deletion completes nothing here.)
         clock_->notifierIs( clock );
         return;
      }
      Vela::Ptr< QuillClock > detached = std::move( clock_ ); // moving leaves it null
      detached->quillDoZombieReactors( true );
      detached->ownerIs( nullptr );
      return;
   }
   if( !clock ) {
      return;
   }
   // Made without a clock and then pointed at it, so that attaching runs
   // handleClock once, exactly as re-pointing an existing notifiee does.
   // (Made registered.)
   Vela::Ptr< QuillClock > notifiee = Pallet::make< QuillClock >( Vela::Ptr< const Quill::Clock >(), this );
   // The notifiee follows the slice's own notification switch, so that a
   // paused slice never hears its clock (during construction the slice is
   // still off; switching it on switches the notifiee on with it).
   notifiee->Quill::PtrInterface::hasNotificationActiveIs( hasNotificationActive() );
   // A slice marked for deletion completes nothing, not even on attaching:
   // the mark goes first.
   notifiee->quillDoZombieReactors( quillMarkedForDeletion() );
   clock_ = notifiee;
   notifiee->notifierIs( clock );
}

Vela::Ptr< const Quill::Clock >
StrataPacketTracerSliceSm::clockDel() {
   Vela::Ptr< QuillClock > detached = std::move( clock_ ); // moving leaves it null
   if( !detached ) {
      return {};
   }
   detached->quillDoZombieReactors( true );
   detached->ownerIs( nullptr );
   detached->Quill::PtrInterface::hasNotificationActiveIs( false );
   return Vela::Ptr< const Quill::Clock >( detached->clock() );
}

void
StrataPacketTracerSliceSm::clockWakeUpIs( Quill::Seconds wakeUp ) {
   // Without a notifiee (clockDel, or clockIs with no clock) there is nothing
   // to arm: the completion then waits until a clock is attached again,
   // which runs handleClock at once.
   if( clock_ ) {
      clock_->timeMinIs( wakeUp );
   }
}

void
StrataPacketTracerSliceSm::handleClock() {
   PT_TRACE( 0, TraceLine::handleClock, "handleClock" ) << "handleClock";
   if( !handleClockCalled_ ) {
      return;
   }
   // Without a status entity there is nowhere to publish the completion;
   // it counts as done all the same, so the clock does not fire for it
   // again. The id is the request's this slice carried out: a request that
   // came since and was refused, or left to another slice, is not answered
   // by it.
   if( inputs_.lPortTableWriteRequestStatus ) {
      inputs_.lPortTableWriteRequestStatus->stateIs( PacketTracer::State::stateHandled );
      if( completingRequestId_ ) {
         inputs_.lPortTableWriteRequestStatus->requestIdIs( *completingRequestId_ );
      } else if( inputs_.lPortTableWriteRequestConfig ) {
         // Armed through the generic interface, with no request carried out:
         // the current request's id, as before any was.
         inputs_.lPortTableWriteRequestStatus->requestIdIs( inputs_.lPortTableWriteRequestConfig->requestId() );
      }
      inputs_.lPortTableWriteRequestStatus->versionIs( inputs_.lPortTableWriteRequestStatus->version() + 1 );
   }
   handleClockCalled_ = false;
   clockWakeUpIs( Quill::never );
}

// ---------------------------------------------------------------- notifiee

StrataPacketTracerSliceSm::QuillClock::QuillClock( const Vela::Ptr< const Quill::Clock > & clock,
                                                   StrataPacketTracerSliceSm * owner )
      : owner_( owner ) {
   // The base's own notifierIs: attaching here must not run the owner's
   // handleClock, which the overriding notifierIs would.
   Quill::Clock::NotifieeConst::notifierIs( clock );
   isRegisteredNotifieeIs( true );
}

void
StrataPacketTracerSliceSm::QuillClock::notifierIs( const Vela::Ptr< const Quill::PtrInterface > & notifier ) {
   const auto * wanted = dynamic_cast< const Quill::Clock * >( notifier.ptr() );
   if( wanted == clock() ) {
      return;
   }
   Quill::Clock::NotifieeConst::notifierIs( wanted ? notifier : Vela::Ptr< const Quill::PtrInterface >() );
   // (Registered since it was made.)
   if( wanted && !quillMarkedForDeletion() && owner_ ) {
      owner_->handleClock();
   }
}

void
StrataPacketTracerSliceSm::QuillClock::onAttribute( Quill::AttributeId id ) {
   if( id != Quill::Clock::wakeUpAttr || quillMarkedForDeletion() || !owner_ ) {
      return;
   }
   owner_->handleClock();
}

void
StrataPacketTracerSliceSm::QuillClock::quillDoZombieReactors( bool zombie ) {
   if( quillMarkedForDeletion() == zombie ) {
      return;
   }
   if( clock() ) {
      Quill::PtrInterface::hasNotificationActiveIs( !zombie );
   }
   quillMarkedForDeletionIs( zombie );
}

} // namespace Strata
