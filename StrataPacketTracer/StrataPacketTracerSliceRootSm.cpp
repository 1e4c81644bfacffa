// The root state machine: one slice per module of the shared Strata state's
// strataModIdToUnit, following the map as modules come and go.
//
// A root without the shared state (the host shared no "strataCommon", or one
// of another type) has no module list to follow: it subscribes to nothing,
// its sweep finds no module and handleModule(modId) leaves the collection as
// it is. Such a root exists and fails nothing; it simply makes no slice.
#include "StrataPacketTracerSliceRootSm.h"

#include "Pallet/Pallet.h"
#include "PluginTrace.h"
#include "Quill/Exceptions.h"

#include <vector>

namespace Strata {

Vela::Ptr< StrataPacketTracerSliceRootSm >
StrataPacketTracerSliceRootSm::StrataPacketTracerSliceRootSmIs( const SliceInputs & inputs ) {
   Vela::Ptr< StrataPacketTracerSliceRootSm > root =
      Pallet::make< StrataPacketTracerSliceRootSm >( CreationKey{}, inputs );
   root->hasNotificationActiveIs( true );
   return root;
}

StrataPacketTracerSliceRootSm::StrataPacketTracerSliceRootSm( CreationKey, const SliceInputs & inputs )
      : inputs_( inputs ) {
   // Subscribed before the sweep, although notifications are still off, so
   // that no module change between the sweep and switching on is lost. Should
   // the sweep throw, the subscriber unsubscribes as it goes with the rest.
   if( inputs_.scsd ) {
      inputs_.scsd->publisher().subscriberAdd( &scsdSubscriber_, false );
   }
   handleModule();
}

StrataPacketTracerSliceRootSm::~StrataPacketTracerSliceRootSm() {
   // Switched off, the root holds no subscription: it only ever has one
   // while on (and while it is being made), so nothing reaches it from here
   // on. The members then drop the slices and let the inputs go, from the
   // last to the first.
   hasNotificationActiveIs( false );
}

void
StrataPacketTracerSliceRootSm::handleModule( StrataCentral::ModId modId ) {
   PT_TRACE( 0, TraceLine::handleModule, "handleModule" ) << "handleModule";
   if( !inputs_.scsd ) {
      return;
   }
   if( inputs_.scsd->strataModIdToUnit.contains( modId ) ) {
      strataPacketTracerSliceSmIs( inputs_, modId );
   } else {
      strataPacketTracerSliceSmDel( modId );
   }
}

void
StrataPacketTracerSliceRootSm::handleModule() {
   if( !inputs_.scsd ) {
      return;
   }
   // A copy of the keys: creating a slice runs its initialisation, which
   // must not be able to invalidate the walk.
   std::vector< StrataCentral::ModId > modIds;
   for( const auto & [ modId, unit ] : inputs_.scsd->strataModIdToUnit ) {
      modIds.push_back( modId );
   }
   for( const StrataCentral::ModId & modId : modIds ) {
      handleModule( modId );
   }
}

Vela::Ptr< StrataPacketTracerSliceSm >
StrataPacketTracerSliceRootSm::strataPacketTracerSliceSmIs( const SliceInputs & inputs, StrataCentral::ModId modId ) {
   if( Vela::Ptr< StrataPacketTracerSliceSm > existing = strataPacketTracerSliceSm( modId ) ) {
      // A slice's inputs never change: asking for it with other inputs is a
      // caller's error, reported at the first input that differs, by its
      // attribute of the slice (the module id sits between scsd and cfmHwConfig).
      using Slice = StrataPacketTracerSliceSm;
      static constexpr std::array< Quill::AttributeId, SliceInputs::count > sliceAttr{
         Slice::sourceTrunkMapRequestDirId, Slice::lPortTableWriteRequestConfigId,
         Slice::lPortTableWriteRequestStatusId, Slice::scsdId, Slice::cfmHwConfigId
      };
      const auto current = existing->inputs().values();
      const auto passed = inputs.values();
      for( std::size_t i = 0; i < SliceInputs::count; ++i ) {
         if( !current[ i ].equals( passed[ i ] ) ) {
            Quill::Impl::throwMutatorReinstantiating( Slice::quillTypeName, sliceAttr[ i ], current[ i ].toString(),
                                                      passed[ i ].toString() );
         }
      }
      return existing;
   }
   Vela::Ptr< StrataPacketTracerSliceSm > slice =
      StrataPacketTracerSliceSm::StrataPacketTracerSliceSmIs( inputs, modId, portsSetUp_ );
   slices_[ slice->modId() ] = slice;
   // An inactive root keeps all its slices inactive, also one made while it
   // is off (through the generic interface or a direct handleModule call).
   // While the root is being constructed this switches the new slice off
   // until the root switches itself, and with it every slice, on.
   if( !hasNotificationActive() ) {
      slice->hasNotificationActiveIs( false );
   }
   return slice;
}

Vela::Ptr< StrataPacketTracerSliceSm >
StrataPacketTracerSliceRootSm::strataPacketTracerSliceSmDel( StrataCentral::ModId modId ) {
   auto found = slices_.find( modId );
   if( found == slices_.end() ) {
      return {};
   }
   Vela::Ptr< StrataPacketTracerSliceSm > removed = std::move( found->second );
   slices_.erase( found );
   return removed;
}

void
StrataPacketTracerSliceRootSm::strataPacketTracerSliceSmDelAll() {
   // Emptied before the slices go (they go with `removed`, at the end of
   // this scope), so that nothing a slice's destructor does can meet a
   // half-cleared collection.
   SliceMap removed;
   removed.swap( slices_ );
}

Vela::Ptr< StrataPacketTracerSliceSm >
StrataPacketTracerSliceRootSm::strataPacketTracerSliceSm( StrataCentral::ModId modId ) const {
   auto found = slices_.find( modId );
   return found == slices_.end() ? Vela::Ptr< StrataPacketTracerSliceSm >() : found->second;
}

void
StrataPacketTracerSliceRootSm::hasNotificationActiveIs( bool active ) {
   if( hasNotificationActive() == active ) {
      return;
   }
   Quill::PtrInterface::hasNotificationActiveIs( active );
   if( inputs_.scsd ) {
      if( active && !scsdSubscriber_.isSubscribed() ) {
         inputs_.scsd->publisher().subscriberAdd( &scsdSubscriber_, false );
      } else if( !active && scsdSubscriber_.isSubscribed() ) {
         inputs_.scsd->publisher().subscriberRemove( &scsdSubscriber_ );
      }
   }
   for( const auto & [ modId, slice ] : slices_ ) {
      slice->hasNotificationActiveIs( active );
   }
}

void
StrataPacketTracerSliceRootSm::quillDoZombieReactors( bool zombie ) {
   if( quillMarkedForDeletion() != zombie ) {
      quillMarkedForDeletionIs( zombie );
   }
}

void
StrataPacketTracerSliceRootSm::scsdDispatch( Vela::Publisher *, Vela::Subscriber * subscriber, short attributeId,
                                             const void * key, const void * ) {
   if( attributeId != Strata::StrataCommonSmData::strataModIdToUnitAttr || !key ) {
      return;
   }
   const StrataCentral::ModId modId = *static_cast< const StrataCentral::ModId * >( key );
   auto * root = subscriber->ownerAs< StrataPacketTracerSliceRootSm >();
   if( root->quillMarkedForDeletion() ) {
      return;
   }
   root->handleModule( modId );
}

} // namespace Strata
