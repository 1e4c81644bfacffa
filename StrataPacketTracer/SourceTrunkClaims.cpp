#include "SourceTrunkClaims.h"

#include "Pallet/Pallet.h"
#include "PluginTrace.h"

#include <cstdio>
#include <cstdlib>

namespace Strata {

Vela::Ptr< Ferro::Bitmap >
SourceTrunkClaims::bitmapIs( U64 id, U32 size, Ferro::HBitmap::BitState initialBitState ) {
   if( bitmap_ && bitmap_->id() == id && bitmap_->size() == size && bitmap_->initialBitState() == initialBitState ) {
      return bitmap_;
   }
   Vela::Ptr< Ferro::Bitmap > made = Pallet::make< Ferro::Bitmap >( id, size, initialBitState );
   made->hasNotificationActiveIs( true );
   bitmap_ = made;
   return made;
}

Vela::Ptr< Ferro::Bitmap >
SourceTrunkClaims::bitmapDel() noexcept {
   return std::move( bitmap_ ); // moving leaves it null
}

U32
SourceTrunkClaims::claim( U32 idx ) {
   if( bitmap_ ) {
      bitmap_->setBit( idx );
   }
   PT_TRACE( 0, report_.claimLine, report_.claim ) << report_.claim << report_.claimText << idx;
   return idx;
}

void
SourceTrunkClaims::release( U32 idx ) {
   PT_TRACE( 0, report_.releaseLine, report_.release ) << report_.release << report_.releaseText << idx;
   if( idx == Ferro::HBitmap::null() ) {
      // Going on would clear some other port's claim: the agent stops in
      // every build type.
      std::fprintf( stderr, "%s:%d: %s: Assertion `%s' failed.\n", traceFile, lineOf( report_.releaseCheckLine ),
                    report_.releaseSignature, "idx != Ferro::HBitmap::null()" );
      std::fflush( stderr );
      std::abort();
   }
   if( bitmap_ ) {
      bitmap_->clearBit( idx );
   }
}

std::vector< U32 >
SourceTrunkClaims::held() const {
   std::vector< U32 > ports;
   for( U32 idx = 0; idx < capacity(); ++idx ) {
      if( bitmap_->isBitSet( idx ) ) {
         ports.push_back( idx );
      }
   }
   return ports;
}

} // namespace Strata
