// The slice's two source-trunk bitmaps: which ports' SOURCE_TRUNK_MAP entry
// the packet tracer holds, and which CFM holds. The caller names the index
// (the port number); the allocators only record claims.
//
// Both bitmaps exist from handleInitialized on. Only the generic attribute
// interface can remove one (srcTrunkBitmapDel); without its bitmap a client
// holds no port: tests answer false, the count is 0, and claims and releases
// record nothing (they still trace, and releasing the null index still stops).
#include "Pallet/Pallet.h"
#include "PluginTrace.h"
#include "StrataPacketTracerSliceSm.h"

#include <cstdio>
#include <cstdlib>

namespace Strata {

namespace {

// A broken precondition stops the agent in every build type, with the line
// an assertion writes: continuing would clear some other port's claim.
[[noreturn]] void
preconditionFailed( const char * expression, TraceLine site, const char * function ) {
   std::fprintf( stderr, "%s:%d: %s: Assertion `%s' failed.\n", traceFile, lineOf( site ), function, expression );
   std::fflush( stderr );
   std::abort();
}

Vela::Ptr< Ferro::Bitmap >
bitmapFor( Vela::Ptr< Ferro::Bitmap > & held, U64 id, U32 size, Ferro::HBitmap::BitState initialBitState ) {
   if( held && held->id() == id && held->size() == size && held->initialBitState() == initialBitState ) {
      return held;
   }
   Vela::Ptr< Ferro::Bitmap > made = Pallet::make< Ferro::Bitmap >( id, size, initialBitState );
   made->hasNotificationActiveIs( true );
   // The old bitmap, and every claim in it, goes with this assignment.
   held = made;
   return made;
}

} // namespace

Vela::Ptr< Ferro::Bitmap >
StrataPacketTracerSliceSm::srcTrunkBitmapIs( U64 id, U32 size, Ferro::HBitmap::BitState initialBitState ) {
   return bitmapFor( srcTrunkBitmap_, id, size, initialBitState );
}

Vela::Ptr< Ferro::Bitmap >
StrataPacketTracerSliceSm::srcTrunkBitmapDel() {
   Vela::Ptr< Ferro::Bitmap > removed = std::move( srcTrunkBitmap_ );
   srcTrunkBitmap_ = nullptr;
   return removed;
}

Vela::Ptr< Ferro::Bitmap >
StrataPacketTracerSliceSm::srcTrunkBitmapCfmIs( U64 id, U32 size,
                                                Ferro::HBitmap::BitState initialBitState ) {
   return bitmapFor( srcTrunkBitmapCfm_, id, size, initialBitState );
}

Vela::Ptr< Ferro::Bitmap >
StrataPacketTracerSliceSm::srcTrunkBitmapCfmDel() {
   Vela::Ptr< Ferro::Bitmap > removed = std::move( srcTrunkBitmapCfm_ );
   srcTrunkBitmapCfm_ = nullptr;
   return removed;
}

bool
StrataPacketTracerSliceSm::isAllocatedSrcTrunkIdx( U32 idx ) {
   const bool isSet = srcTrunkBitmap_ && srcTrunkBitmap_->isBitSet( idx );
   PT_TRACE( 0, TraceLine::isAllocatedSrcTrunkIdx, "isAllocatedSrcTrunkIdx" )
      << "isAllocatedSrcTrunkIdx" << " " << idx << " is set: " << isSet;
   return isSet;
}

bool
StrataPacketTracerSliceSm::isAllocatedSrcTrunkCfmIdx( U32 idx ) {
   const bool isSet = srcTrunkBitmapCfm_ && srcTrunkBitmapCfm_->isBitSet( idx );
   PT_TRACE( 0, TraceLine::isAllocatedSrcTrunkCfmIdx, "isAllocatedSrcTrunkCfmIdx" ) << "isAllocatedSrcTrunkCfmIdx";
   return isSet;
}

U32
StrataPacketTracerSliceSm::allocatedLportCfmIdx() {
   const U32 count = srcTrunkBitmapCfm_ ? srcTrunkBitmapCfm_->numBitsInSetState() : 0;
   PT_TRACE( 0, TraceLine::allocatedLportCfmIdx, "allocatedLportCfmIdx" )
      << "allocatedLportCfmIdx" << " num references for lport: " << count;
   return count;
}

U32
StrataPacketTracerSliceSm::allocateSrcTrunkIdx( U32 idx ) {
   if( srcTrunkBitmap_ ) {
      srcTrunkBitmap_->setBit( idx );
   }
   PT_TRACE( 0, TraceLine::allocateSrcTrunkIdx, "allocateSrcTrunkIdx" )
      << "allocateSrcTrunkIdx" << " allocated srcTrunkIdx: " << idx;
   return idx;
}

void
StrataPacketTracerSliceSm::freeSrcTrunkIdx( U32 idx ) {
   PT_TRACE( 0, TraceLine::freeSrcTrunkIdx, "freeSrcTrunkIdx" ) << "freeSrcTrunkIdx" << " free srcTrunkIdx: " << idx;
   if( idx == Ferro::HBitmap::null() ) {
      preconditionFailed( "idx != Ferro::HBitmap::null()", TraceLine::freeSrcTrunkIdxCheck,
                          "void Strata::StrataPacketTracerSliceSm::freeSrcTrunkIdx(U32)" );
   }
   if( srcTrunkBitmap_ ) {
      srcTrunkBitmap_->clearBit( idx );
   }
}

U32
StrataPacketTracerSliceSm::allocateSrcTrunkCfmIdx( U32 idx ) {
   if( srcTrunkBitmapCfm_ ) {
      srcTrunkBitmapCfm_->setBit( idx );
   }
   PT_TRACE( 0, TraceLine::allocateSrcTrunkCfmIdx, "allocateSrcTrunkCfmIdx" )
      << "allocateSrcTrunkCfmIdx" << " allocated srcTrunkCfmIdx: " << idx;
   return idx;
}

void
StrataPacketTracerSliceSm::freeSrcTrunkCfmIdx( U32 idx ) {
   PT_TRACE( 0, TraceLine::freeSrcTrunkCfmIdx, "freeSrcTrunkCfmIdx" )
      << "freeSrcTrunkCfmIdx" << " free srcTrunkCfmIdx: " << idx;
   if( idx == Ferro::HBitmap::null() ) {
      preconditionFailed( "idx != Ferro::HBitmap::null()", TraceLine::freeSrcTrunkCfmIdxCheck,
                          "void Strata::StrataPacketTracerSliceSm::freeSrcTrunkCfmIdx(U32)" );
   }
   if( srcTrunkBitmapCfm_ ) {
      srcTrunkBitmapCfm_->clearBit( idx );
   }
}

U8
StrataPacketTracerSliceSm::lportProfileIdxRefCountInc( U8 by ) noexcept {
   lportProfileIdxRefCount_ = static_cast< U8 >( lportProfileIdxRefCount_ + by );
   return lportProfileIdxRefCount_;
}

U8
StrataPacketTracerSliceSm::lportProfileIdxRefCountDec( U8 by ) noexcept {
   lportProfileIdxRefCount_ = static_cast< U8 >( lportProfileIdxRefCount_ - by );
   return lportProfileIdxRefCount_;
}

} // namespace Strata
