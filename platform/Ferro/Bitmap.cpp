#include "Ferro/Bitmap.h"

#include "Quill/FrameworkTypes.h"

namespace Ferro {

Bitmap::Bitmap( U64 id, U32 size, HBitmap::BitState initialBitState )
      : id_( id ), size_( size ), initialBitState_( initialBitState ),
        bits_( size, initialBitState == HBitmap::stateSet ),
        setCount_( initialBitState == HBitmap::stateSet ? size : 0 ) {}

const Quill::TypeInfo *
Bitmap::fwkType() const {
   return &Quill::FrameworkTypes::bitmap();
}

void
Bitmap::setBit( U32 index ) noexcept {
   if( index < size_ && !bits_[ index ] ) {
      bits_[ index ] = true;
      ++setCount_;
   }
}

void
Bitmap::clearBit( U32 index ) noexcept {
   if( index < size_ && bits_[ index ] ) {
      bits_[ index ] = false;
      --setCount_;
   }
}

bool
Bitmap::isBitSet( U32 index ) const noexcept {
   return index < size_ && bits_[ index ];
}

} // namespace Ferro
