// The slice's lifecycle: creation, its three subscriptions, initialisation,
// the notification and deletion switches, and teardown. (The reactors live
// beside the handlers they run: SlicePacketTracer.cpp and SliceCfm.cpp.)
#include "CfmToggles.h"
#include "Pallet/Pallet.h"
#include "PluginTrace.h"
#include "StrataPacketTracerSliceSm.h"

namespace Strata {

Vela::Ptr< StrataPacketTracerSliceSm >
StrataPacketTracerSliceSm::StrataPacketTracerSliceSmIs( const SliceInputs & inputs, StrataCentral::ModId modId,
                                                        std::shared_ptr< PortsSetUp > portsSetUp ) {
   // Pallet::make returns the block and undoes the tracking when the
   // constructor throws.
   Vela::Ptr< StrataPacketTracerSliceSm > slice =
      Pallet::make< StrataPacketTracerSliceSm >( CreationKey{}, inputs, modId, std::move( portsSetUp ) );
   slice->hasNotificationActiveIs( true );
   return slice;
}

StrataPacketTracerSliceSm::StrataPacketTracerSliceSm( CreationKey, const SliceInputs & inputs,
                                                      StrataCentral::ModId modId,
                                                      std::shared_ptr< PortsSetUp > portsSetUp )
      : inputs_( inputs ), modId_( modId ),
        portsSetUp_( portsSetUp ? std::move( portsSetUp ) : std::make_shared< PortsSetUp >() ) {
   try {
      // The reactors are registered although the slice's notification flag
      // is still off: handleInitialized must already see the inputs' changes
      // it causes the way a running slice would.
      subscriptionsIs( true );
      handleInitialized();
   } catch( ... ) {
      // The members let everything go on the way out (the subscribers
      // unsubscribe, the notifiee goes with its last reference); only a back
      // reference from a notifiee someone else may hold is left to clear.
      if( clock_ ) {
         clock_->ownerIs( nullptr );
      }
      throw;
   }
}

StrataPacketTracerSliceSm::~StrataPacketTracerSliceSm() {
   // Switched off, the slice holds no subscription: it only ever has them
   // while on (and while it is being made).
   hasNotificationActiveIs( false );
   quillDoZombieReactors( true );
   // From here on a clock event that still reaches the notifiee (someone
   // else may hold it) finds no owner. The members then let the bitmaps, the
   // notifiee and the inputs go, in the order of their declaration reversed.
   if( clock_ ) {
      clock_->ownerIs( nullptr );
   }
}

void
StrataPacketTracerSliceSm::subscriptionsIs( bool active ) {
   // One step per watched input, always in the same order; a null input has
   // nothing to watch.
   auto follow = [ active ]( const Quill::Entity * input, Vela::Subscriber & subscriber ) {
      if( !input ) {
         return;
      }
      if( active && !subscriber.isSubscribed() ) {
         input->publisher().subscriberAdd( &subscriber, false );
      } else if( !active && subscriber.isSubscribed() ) {
         input->publisher().subscriberRemove( &subscriber );
      }
   };
   follow( inputs_.lPortTableWriteRequestConfig.ptr(), lPortTableWriteRequestConfigSubscriber_ );
   follow( inputs_.scsd.ptr(), scsdSubscriber_ );
   follow( inputs_.cfmHwConfig.ptr(), cfmHwConfigSubscriber_ );
   // Changes made while the slice does not listen go uncounted; count the
   // deafness itself, so that no snapshot taken before it is trusted after it.
   if( !active ) {
      ++cfmConfigChanges_;
   }
}

void
StrataPacketTracerSliceSm::handleInitialized() {
   PT_TRACE( 0, TraceLine::handleInitialized, "handleInitialized" ) << "handleInitialized";
   // Every port starts free in both bitmaps (stateClear); an unchanged size
   // keeps the bitmaps and their claims.
   srcTrunkBitmapCfmIs( 0, sizeSrcTrunkTbl_, Ferro::HBitmap::stateClear );
   srcTrunkBitmapIs( 0, sizeSrcTrunkTbl_, Ferro::HBitmap::stateClear );
   initialized_ = true;

   // A host without a clock leaves the slice without a notifiee: clockIs
   // does nothing with null, and arming and disarming then do nothing, so
   // requests are programmed but their completion is not published until a
   // clock is attached (through the generic attribute `clock`).
   clockIs( Quill::activityManager()->clock() );
   clockWakeUpIs( Quill::never );

   // A request that arrived before this slice existed is one whose version
   // the status has not caught up with. Without both entities there is no
   // request to compare, so nothing is pending.
   if( inputs_.lPortTableWriteRequestConfig && inputs_.lPortTableWriteRequestStatus &&
       inputs_.lPortTableWriteRequestConfig->version() != inputs_.lPortTableWriteRequestStatus->version() ) {
      PT_TRACE( 0, TraceLine::pendingRequest, "handleInitialized" ) << "Handle pending LportWrite request";
      handleLPortTableWriteRequest();
   } else {
      tracerClaimResumed();
      tracerClaimsTakenBack();
   }

   cfmResumed();
}

void
StrataPacketTracerSliceSm::tracerClaimResumed() {
   if( !inputs_.lPortTableWriteRequestConfig || !inputs_.lPortTableWriteRequestStatus || !inputs_.scsd ) {
      return;
   }
   const StrataPacketTracer::LPortTableWriteRequestConfig & request = *inputs_.lPortTableWriteRequestConfig;
   const StrataPacketTracer::LPortTableWriteRequestStatus & status = *inputs_.lPortTableWriteRequestStatus;
   const bool appliedAndCompleted = request.enable() && status.state() == PacketTracer::State::stateHandled &&
                                    status.requestId() == request.requestId();
   if( !appliedAndCompleted || !intfKnown( request.intfId() ) ) {
      return;
   }
   const StrataTypes::StrataPort * sp = inputs_.scsd->strataIntfToPortCache.find( request.intfId() );
   if( !sp || sp->modId != modId_.value() || portRefusal( *sp ) ) {
      return;
   }
   PT_TRACE( 0, TraceLine::tracerClaimResumed, "handleInitialized" )
      << "handleInitialized"
      << " port: " << *sp << " stays on the packet tracer's profile";
   allocateSrcTrunkIdx( sp->port );
   portsSetUp_->tracerPortIs( *sp, true );
}

void
StrataPacketTracerSliceSm::cfmResumed() {
   handleLPortTableWriteForCfm();
   if( !cfmProgrammingEnabled() || !inputs_.scsd ) {
      return;
   }
   // Memberships: a copy, since the SDK calls give up the activity lock.
   std::vector< StrataTypes::StrataPort > members;
   for( const auto & entry : inputs_.scsd->strataPortToLag ) {
      if( entry.first.modId == modId_.value() ) {
         members.push_back( entry.first );
      }
   }
   const CfmPortReport memberReport{ "handleInitialized", TraceLine::cfmResumedRefused, TraceLine::cfmResumedMember,
                                     " port-channel sp: " };
   for( const StrataTypes::StrataPort & sp : members ) {
      cfmPortFollows( sp, memberReport );
   }
   // The ports an earlier slice of this module left set up: taken over
   // where CFM still covers them, taken down where nothing does any more.
   const CfmPortReport takeOverReport{ "handleInitialized", TraceLine::cfmResumedRefused, TraceLine::cfmResumedTakeDown,
                                       " sp: " };
   for( const StrataTypes::StrataPort & sp : portsSetUp_->cfmUsersOfModule( modId_.value() ) ) {
      if( !cfmClaims_.holds( sp.port ) ) {
         cfmPortIs( cfmCovers( sp ), sp, takeOverReport );
      }
   }
}

bool
StrataPacketTracerSliceSm::intfOnSlice( const Lumo::IntfId & intfId ) {
   PT_TRACE( 0, TraceLine::intfOnSlice, "intfOnSlice" ) << "intfOnSlice"
                                                        << " intfId : " << intfId;
   return intfKnown( intfId );
}

bool
StrataPacketTracerSliceSm::intfKnown( const Lumo::IntfId & intfId ) const {
   // Without the shared state no interface is known, so none is on the slice.
   return inputs_.scsd && ( inputs_.scsd->intf.contains( intfId ) || inputs_.scsd->unusedIntf.contains( intfId ) );
}

void
StrataPacketTracerSliceSm::hasNotificationActiveIs( bool active ) {
   if( hasNotificationActive() == active ) {
      return;
   }
   Quill::PtrInterface::hasNotificationActiveIs( active );
   subscriptionsIs( active );
   if( clock_ ) {
      clock_->Quill::PtrInterface::hasNotificationActiveIs( active );
   }
}

void
StrataPacketTracerSliceSm::quillDoZombieReactors( bool zombie ) {
   if( quillMarkedForDeletion() == zombie ) {
      return;
   }
   if( clock_ ) {
      clock_->quillDoZombieReactors( zombie );
   }
   quillMarkedForDeletionIs( zombie );
}

} // namespace Strata
