// One client's claims on SOURCE_TRUNK_MAP entries: a bitmap indexed by port
// number in which a set bit means the client holds that port's entry. The
// caller names the index; the claims only record it. The packet tracer and
// CFM each have one, and each reads the other's to give way to it.
//
// Without a bitmap (before the slice initialises, or after the generic
// interface removed it) the client holds nothing: tests answer false, the
// count is 0, claims and releases record nothing.
#pragma once

#include "Ferro/Bitmap.h"
#include "TraceLines.h"
#include "Vela/Ptr.h"

#include <vector>

namespace Strata {

class SourceTrunkClaims {
 public:
   // How a client's claim and release report themselves: their names (also
   // the trace lines' function), their trace lines and texts, and the
   // signature the release's precondition check names when it stops.
   struct Report {
      const char * claim;
      TraceLine claimLine;
      const char * claimText; // before the index, e.g. " allocated srcTrunkIdx: "
      const char * release;
      TraceLine releaseLine;
      const char * releaseText;
      TraceLine releaseCheckLine;
      const char * releaseSignature;
   };

   explicit SourceTrunkClaims( const Report & report ) noexcept : report_( report ) {}

   const Vela::Ptr< Ferro::Bitmap > & bitmap() const noexcept { return bitmap_; }
   // Keeps a bitmap made with the same three values, with its claims; else
   // makes a new one, every index free, and drops the old one with its claims.
   Vela::Ptr< Ferro::Bitmap > bitmapIs( U64 id, U32 size, Ferro::HBitmap::BitState initialBitState );
   // Hands the bitmap over; the client then holds nothing.
   Vela::Ptr< Ferro::Bitmap > bitmapDel() noexcept;

   // Whether the client holds port `idx`; silent.
   bool holds( U32 idx ) const noexcept { return bitmap_ && bitmap_->isBitSet( idx ); }
   // How many ports the client holds.
   U32 count() const noexcept { return bitmap_ ? bitmap_->numBitsInSetState() : 0; }
   // The ports the client holds, in increasing order.
   std::vector< U32 > held() const;
   // The number of ports the bitmap can hold; 0 without one.
   U32 capacity() const noexcept { return bitmap_ ? bitmap_->size() : 0; }

   // Claims port `idx` and traces it; returns `idx`.
   U32 claim( U32 idx );
   // Traces, then releases port `idx`. The null index is a broken
   // precondition: it stops the process, with the line an assertion writes.
   void release( U32 idx );

 private:
   const Report & report_;
   Vela::Ptr< Ferro::Bitmap > bitmap_;
};

} // namespace Strata
