// The per-port allocation bitmap.
#include "Ferro/Bitmap.h"
#include "Pallet/Pallet.h"

#include <gtest/gtest.h>

namespace {

using Ferro::HBitmap;

TEST( Bitmap, StartsInItsInitialStateThenSetsClearsAndCounts ) {
   auto clear = Pallet::make< Ferro::Bitmap >( 1, 130, HBitmap::stateClear ); // 1
   auto set = Pallet::make< Ferro::Bitmap >( 2, 130, HBitmap::stateSet );     // 0
   EXPECT_EQ( clear->numBitsInSetState(), 0u );
   EXPECT_EQ( set->numBitsInSetState(), 130u );
   for( U32 i = 0; i < 130; ++i ) {
      EXPECT_FALSE( clear->isBitSet( i ) );
      EXPECT_TRUE( set->isBitSet( i ) );
   }
   for( U32 index : { 0u, 129u, 64u, 64u } ) { // twice counts once
      clear->setBit( index );
   }
   EXPECT_EQ( clear->numBitsInSetState(), 3u );
   EXPECT_TRUE( clear->isBitSet( 64 ) );
   EXPECT_FALSE( clear->isBitSet( 63 ) );
   for( U32 index : { 64u, 64u, 5u } ) { // twice, and one already clear
      clear->clearBit( index );
   }
   EXPECT_EQ( clear->numBitsInSetState(), 2u );
   EXPECT_FALSE( clear->isBitSet( 64 ) );
}

TEST( Bitmap, IndicesOutsideChangeNothingAndReadClear ) {
   auto set = Pallet::make< Ferro::Bitmap >( 1, 8, HBitmap::stateSet );
   for( U32 outside : { 8u, 9u, 1000u, HBitmap::null() } ) {
      set->setBit( outside );
      set->clearBit( outside );
      EXPECT_FALSE( set->isBitSet( outside ) ) << outside;
   }
   EXPECT_EQ( set->numBitsInSetState(), 8u );
   auto empty = Pallet::make< Ferro::Bitmap >( 1, 0, HBitmap::stateSet );
   empty->setBit( 0 );
   EXPECT_FALSE( empty->isBitSet( 0 ) );
   EXPECT_EQ( empty->numBitsInSetState(), 0u );
}

} // namespace
