// The slice's source-trunk claims at their edges: the bitmaps' re-creation
// rules, the profile counter and the null index. (Claims at work are followed
// step by step by the model runs, the allocators' trace lines by
// scenarios/language/objects.scn.)
#include "PluginFixture.h"

namespace PluginTest {
namespace {

using AllocatorTest = PluginFixture;

TEST_F( AllocatorTest, BitmapIsKeptForTheSameValuesAndReplacedForOthers ) {
   auto slice = makeSlice();
   slice->allocateSrcTrunkIdx( 12 );
   Vela::Ptr< Ferro::Bitmap > before = slice->srcTrunkBitmap();
   EXPECT_EQ( slice->srcTrunkBitmapIs( 0, 160, Ferro::HBitmap::stateClear ), before );
   EXPECT_TRUE( slice->isAllocatedSrcTrunkIdx( 12 ) );
   Vela::Ptr< Ferro::Bitmap > smaller = slice->srcTrunkBitmapIs( 0, 100, Ferro::HBitmap::stateClear );
   EXPECT_NE( smaller, before );
   EXPECT_EQ( smaller->size(), 100u );
   EXPECT_FALSE( slice->isAllocatedSrcTrunkIdx( 12 ) );
   EXPECT_TRUE( smaller->hasNotificationActive() );
   // Through the generic interface, a bit state outside the two known ones is
   // refused naming the parameter.
   EXPECT_THAT(
      [ & ] {
         generic( slice, Slice::srcTrunkBitmapId, Quill::AttrOp::write, { U64( 0 ), U32( 8 ), U8( 2 ) } );
      },
      ::testing::ThrowsMessage< Quill::RangeException >( ::testing::HasSubstr( "initialBitState" ) ) );
   // Removal hands the bitmap over; without it nothing is held or recorded.
   EXPECT_TRUE( done( slice, Slice::srcTrunkBitmapCfmId, Quill::AttrOp::del ).asPtr< Ferro::Bitmap >() );
   EXPECT_FALSE( slice->srcTrunkBitmapCfm() );
   EXPECT_EQ( slice->allocateSrcTrunkCfmIdx( 5 ), 5u );
   EXPECT_FALSE( slice->isAllocatedSrcTrunkCfmIdx( 5 ) );
   EXPECT_EQ( slice->allocatedLportCfmIdx(), 0u );
   slice->freeSrcTrunkCfmIdx( 5 );
}

TEST_F( AllocatorTest, ProfileCounterWrapsAtEightBits ) {
   auto slice = makeSlice();
   EXPECT_EQ( slice->lportProfileIdxRefCountDec( 1 ), 255u );
   EXPECT_EQ( slice->lportProfileIdxRefCountInc( 1 ), 0u );
   EXPECT_EQ( slice->lportProfileIdxRefCountInc( 200 ), 200u );
   EXPECT_EQ( slice->lportProfileIdxRefCountInc( 100 ), 44u );
   EXPECT_EQ( slice->lportProfileIdxRefCount(), 44u );
}

using AllocatorDeathTest = AllocatorTest;

TEST_F( AllocatorDeathTest, ReleasingTheNullIndexStopsTheProcess ) {
   GTEST_FLAG_SET( death_test_style, "threadsafe" );
   auto slice = makeSlice();
   EXPECT_DEATH( slice->freeSrcTrunkIdx( Ferro::HBitmap::null() ),
                 "/src/StrataPacketTracer/StrataPacketTracerSliceMounter:89: "
                 "void Strata::StrataPacketTracerSliceSm::freeSrcTrunkIdx\\(U32\\): "
                 "Assertion `idx != Ferro::HBitmap::null\\(\\)' failed" );
   EXPECT_DEATH( done( slice, Slice::freeSrcTrunkCfmIdxId, Quill::AttrOp::call, { U32( 0xFFFFFFFFu ) } ),
                 "/src/StrataPacketTracer/StrataPacketTracerSliceMounter:113: "
                 "void Strata::StrataPacketTracerSliceSm::freeSrcTrunkCfmIdx\\(U32\\): "
                 "Assertion `idx != Ferro::HBitmap::null\\(\\)' failed" );
}

} // namespace
} // namespace PluginTest
