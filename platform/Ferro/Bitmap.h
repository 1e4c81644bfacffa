// Ferro::Bitmap: a fixed-size bitmap of indices, a framework object.
//
// The bitmap is made with the state every index starts in. An index at or
// above the size is outside the bitmap: setting or clearing it does nothing
// and it reads as not set.
#pragma once

#include "Quill/PtrInterface.h"
#include "Quill/Types.h"

#include <vector>

namespace Ferro {

struct HBitmap {
   // The state every bit starts in: stateSet (0) makes every index set,
   // stateClear (1) every index clear.
   enum BitState : U8 { stateSet = 0, stateClear = 1 };
   // The null index, never a valid one.
   static constexpr U32 null() noexcept { return 0xFFFFFFFFu; }
};

class Bitmap : public Quill::PtrInterface {
 public:
   static constexpr const char * quillTypeName = "Ferro::Bitmap";

   Bitmap( U64 id, U32 size, HBitmap::BitState initialBitState );
   const Quill::TypeInfo * fwkType() const override;

   U64 id() const noexcept { return id_; }
   U32 size() const noexcept { return size_; }
   HBitmap::BitState initialBitState() const noexcept { return initialBitState_; }

   void setBit( U32 index ) noexcept;
   void clearBit( U32 index ) noexcept;
   bool isBitSet( U32 index ) const noexcept;
   U32 numBitsInSetState() const noexcept { return setCount_; }

 private:
   U64 id_;
   U32 size_;
   HBitmap::BitState initialBitState_;
   std::vector< bool > bits_;
   U32 setCount_ = 0;
};

} // namespace Ferro
