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

namespace {
// How the re-instantiation error shows an input.
std::string
shown( const Quill::Value & input ) {
   return input.toString();
}
} // namespace

Vela::Ptr< StrataPacketTracerSliceRootSm >
StrataPacketTracerSliceRootSm::StrataPacketTracerSliceRootSmIs(
   const Vela::Ptr< StrataCentral::PortTabWriteRequestDir > & sourceTrunkMapRequestDir,
   const Vela::Ptr< const StrataPacketTracer::LPortTableWriteRequestConfig > & lPortTableWriteRequestConfig,
   const Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > & lPortTableWriteRequestStatus,
   const Vela::Ptr< Strata::StrataCommonSmData > & scsd,
   const Vela::Ptr< const CfmSw::CfmHwConfig > & cfmHwConfig ) {
   Vela::Ptr< StrataPacketTracerSliceRootSm > root = Pallet::make< StrataPacketTracerSliceRootSm >(
      CreationKey{}, sourceTrunkMapRequestDir, lPortTableWriteRequestConfig,
      lPortTableWriteRequestStatus, scsd, cfmHwConfig );
   root->hasNotificationActiveIs( true );
   return root;
}

StrataPacketTracerSliceRootSm::StrataPacketTracerSliceRootSm(
   CreationKey, const Vela::Ptr< StrataCentral::PortTabWriteRequestDir > & sourceTrunkMapRequestDir,
   const Vela::Ptr< const StrataPacketTracer::LPortTableWriteRequestConfig > & lPortTableWriteRequestConfig,
   const Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > & lPortTableWriteRequestStatus,
   const Vela::Ptr< Strata::StrataCommonSmData > & scsd,
   const Vela::Ptr< const CfmSw::CfmHwConfig > & cfmHwConfig )
      : sourceTrunkMapRequestDir_( sourceTrunkMapRequestDir ),
        lPortTableWriteRequestConfig_( lPortTableWriteRequestConfig ),
        lPortTableWriteRequestStatus_( lPortTableWriteRequestStatus ),
        scsd_( scsd ),
        cfmHwConfig_( cfmHwConfig ) {
   try {
      // Subscribed before the sweep, although notifications are still off,
      // so that no module change between the sweep and switching on is lost.
      if( scsd_ ) {
         scsd_->publisher().subscriberAdd( &scsdSubscriber_, false );
      }
      handleModule();
   } catch( ... ) {
      if( scsdSubscriber_.isSubscribed() ) {
         scsd_->publisher().subscriberRemove( &scsdSubscriber_ );
      }
      throw;
   }
}

StrataPacketTracerSliceRootSm::~StrataPacketTracerSliceRootSm() {
   hasNotificationActiveIs( false );
   quillDoZombieReactors( true );
   if( scsdSubscriber_.isSubscribed() ) {
      scsd_->publisher().subscriberRemove( &scsdSubscriber_ );
   }
   strataPacketTracerSliceSmDelAll();
   cfmHwConfig_ = nullptr;
   scsd_ = nullptr;
   lPortTableWriteRequestStatus_ = nullptr;
   lPortTableWriteRequestConfig_ = nullptr;
   sourceTrunkMapRequestDir_ = nullptr;
}

void
StrataPacketTracerSliceRootSm::handleModule( StrataCentral::ModId modId ) {
   PT_TRACE( 0, TraceLine::handleModule, "handleModule" ) << "handleModule";
   if( !scsd_ ) {
      return;
   }
   if( scsd_->strataModIdToUnit.contains( modId ) ) {
      strataPacketTracerSliceSmIs( sourceTrunkMapRequestDir_, lPortTableWriteRequestConfig_,
                                   lPortTableWriteRequestStatus_, scsd_, modId, cfmHwConfig_ );
   } else {
      strataPacketTracerSliceSmDel( modId );
   }
}

void
StrataPacketTracerSliceRootSm::handleModule() {
   if( !scsd_ ) {
      return;
   }
   // A copy of the keys: creating a slice runs its initialisation, which
   // must not be able to invalidate the walk.
   std::vector< StrataCentral::ModId > modIds;
   for( const auto & [ modId, unit ] : scsd_->strataModIdToUnit ) {
      modIds.push_back( modId );
   }
   for( const StrataCentral::ModId & modId : modIds ) {
      handleModule( modId );
   }
}

Vela::Ptr< StrataPacketTracerSliceSm >
StrataPacketTracerSliceRootSm::strataPacketTracerSliceSmIs(
   const Vela::Ptr< StrataCentral::PortTabWriteRequestDir > & sourceTrunkMapRequestDir,
   const Vela::Ptr< const StrataPacketTracer::LPortTableWriteRequestConfig > & lPortTableWriteRequestConfig,
   const Vela::Ptr< StrataPacketTracer::LPortTableWriteRequestStatus > & lPortTableWriteRequestStatus,
   const Vela::Ptr< Strata::StrataCommonSmData > & scsd, StrataCentral::ModId modId,
   const Vela::Ptr< const CfmSw::CfmHwConfig > & cfmHwConfig ) {
   if( Vela::Ptr< StrataPacketTracerSliceSm > existing = strataPacketTracerSliceSm( modId ) ) {
      // A slice's inputs never change: asking for it with other inputs is a
      // caller's error, reported at the first input that differs.
      auto differs = [ & ]( Quill::AttributeId id, const Quill::Value & current, const Quill::Value & passed ) {
         if( !current.equals( passed ) ) {
            Quill::Impl::throwMutatorReinstantiating( StrataPacketTracerSliceSm::quillTypeName, id,
                                                      shown( current ), shown( passed ) );
         }
      };
      using Slice = StrataPacketTracerSliceSm;
      differs( Slice::sourceTrunkMapRequestDirId, existing->sourceTrunkMapRequestDir(), sourceTrunkMapRequestDir );
      differs( Slice::lPortTableWriteRequestConfigId, existing->lPortTableWriteRequestConfig(),
               lPortTableWriteRequestConfig );
      differs( Slice::lPortTableWriteRequestStatusId, existing->lPortTableWriteRequestStatus(),
               lPortTableWriteRequestStatus );
      differs( Slice::scsdId, existing->scsd(), scsd );
      differs( Slice::cfmHwConfigId, existing->cfmHwConfig(), cfmHwConfig );
      return existing;
   }
   Vela::Ptr< StrataPacketTracerSliceSm > slice = StrataPacketTracerSliceSm::StrataPacketTracerSliceSmIs(
      sourceTrunkMapRequestDir, lPortTableWriteRequestConfig, lPortTableWriteRequestStatus, scsd, modId,
      cfmHwConfig );
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
   // Emptied before the slices go, so that nothing a slice's destructor
   // does can meet a half-cleared collection.
   SliceMap removed;
   removed.swap( slices_ );
   removed.clear();
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
   if( scsd_ ) {
      if( active && !scsdSubscriber_.isSubscribed() ) {
         scsd_->publisher().subscriberAdd( &scsdSubscriber_, false );
      } else if( !active && scsdSubscriber_.isSubscribed() ) {
         scsd_->publisher().subscriberRemove( &scsdSubscriber_ );
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
StrataPacketTracerSliceRootSm::scsdDispatch( Vela::Publisher *, Vela::Subscriber * subscriber,
                                             short attributeId, const void * key, const void * ) {
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
