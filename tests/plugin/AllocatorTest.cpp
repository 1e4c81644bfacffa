// The slice's source-trunk claims: the packet tracer's and CFM's bitmaps,
// their trace lines, their re-creation rules and the profile counter.
#include "PluginFixture.h"

namespace PluginTest {
namespace {

using Slice = Strata::StrataPacketTracerSliceSm;

class AllocatorTest : public PluginFixture {};

TEST_F( AllocatorTest, EveryIndexStartsFreeInBothBitmaps ) {
   auto slice = makeSlice();
   ASSERT_TRUE( slice->srcTrunkBitmap() && slice->srcTrunkBitmapCfm() );
   EXPECT_EQ( slice->srcTrunkBitmap()->size(), 160u );
   EXPECT_EQ( slice->srcTrunkBitmapCfm()->size(), 160u );
   for( U32 i = 0; i < 160; ++i ) {
      EXPECT_FALSE( slice->isAllocatedSrcTrunkIdx( i ) ) << i;
      EXPECT_FALSE( slice->isAllocatedSrcTrunkCfmIdx( i ) ) << i;
   }
   EXPECT_EQ( slice->allocatedLportCfmIdx(), 0u );
}

TEST_F( AllocatorTest, ClaimsAreCountedOncePerPortAndBitmapsAreIndependent ) {
   auto slice = makeSlice();
   EXPECT_EQ( slice->allocateSrcTrunkCfmIdx( 3 ), 3u );
   EXPECT_EQ( slice->allocateSrcTrunkCfmIdx( 3 ), 3u );
   EXPECT_EQ( slice->allocatedLportCfmIdx(), 1u );
   slice->freeSrcTrunkCfmIdx( 3 );
   EXPECT_EQ( slice->allocatedLportCfmIdx(), 0u );

   EXPECT_EQ( slice->allocateSrcTrunkIdx( 7 ), 7u );
   EXPECT_TRUE( slice->isAllocatedSrcTrunkIdx( 7 ) );
   EXPECT_FALSE( slice->isAllocatedSrcTrunkCfmIdx( 7 ) );
   EXPECT_EQ( slice->allocatedLportCfmIdx(), 0u );

   // Releasing a free index leaves it free and still reports the release.
   tracesClear();
   slice->freeSrcTrunkIdx( 9 );
   EXPECT_FALSE( slice->isAllocatedSrcTrunkIdx( 9 ) );
   EXPECT_EQ( traceCount( "freeSrcTrunkIdx free srcTrunkIdx: 9" ), 1u );
}

TEST_F( AllocatorTest, TheLastIndexIsInsideAndTheNextIsIgnored ) {
   auto slice = makeSlice();
   slice->allocateSrcTrunkCfmIdx( 159 );
   slice->allocateSrcTrunkCfmIdx( 160 );
   EXPECT_TRUE( slice->isAllocatedSrcTrunkCfmIdx( 159 ) );
   EXPECT_FALSE( slice->isAllocatedSrcTrunkCfmIdx( 160 ) );
   EXPECT_EQ( slice->allocatedLportCfmIdx(), 1u );
   slice->freeSrcTrunkCfmIdx( 160 );
   EXPECT_TRUE( slice->isAllocatedSrcTrunkCfmIdx( 159 ) );
}

TEST_F( AllocatorTest, EachOperationWritesItsLineWithItsNumber ) {
   auto slice = makeSlice();
   tracesClear();
   slice->isAllocatedSrcTrunkIdx( 4 );
   slice->allocatedLportCfmIdx();
   slice->allocateSrcTrunkIdx( 4 );
   slice->freeSrcTrunkIdx( 4 );
   slice->isAllocatedSrcTrunkCfmIdx( 4 );
   slice->allocateSrcTrunkCfmIdx( 6 );
   slice->freeSrcTrunkCfmIdx( 6 );

   struct Expected {
      const char * function;
      int line;
      const char * text;
   };
   const Expected expected[] = {
      { "isAllocatedSrcTrunkIdx", 64, "isAllocatedSrcTrunkIdx 4 is set: false" },
      { "allocatedLportCfmIdx", 74, "allocatedLportCfmIdx num references for lport: 0" },
      { "allocateSrcTrunkIdx", 82, "allocateSrcTrunkIdx allocated srcTrunkIdx: 4" },
      { "freeSrcTrunkIdx", 88, "freeSrcTrunkIdx free srcTrunkIdx: 4" },
      { "isAllocatedSrcTrunkCfmIdx", 96, "isAllocatedSrcTrunkCfmIdx" },
      { "allocateSrcTrunkCfmIdx", 106, "allocateSrcTrunkCfmIdx allocated srcTrunkCfmIdx: 6" },
      { "freeSrcTrunkCfmIdx", 112, "freeSrcTrunkCfmIdx free srcTrunkCfmIdx: 6" },
   };
   ASSERT_EQ( traces().size(), std::size( expected ) ) << traceDump();
   for( std::size_t i = 0; i < std::size( expected ); ++i ) {
      const Quill::TraceRecord & r = traces()[ i ];
      EXPECT_EQ( r.function, expected[ i ].function );
      EXPECT_EQ( r.line, expected[ i ].line ) << r.function;
      EXPECT_EQ( r.text, expected[ i ].text );
      EXPECT_EQ( r.file, Strata::traceFile );
      EXPECT_EQ( r.handle, "StrataPacketTracerSliceMounter" );
      EXPECT_EQ( r.level, 0u );
   }
   // The bit state of a claimed index prints as true.
   tracesClear();
   slice->allocateSrcTrunkIdx( 4 );
   slice->isAllocatedSrcTrunkIdx( 4 );
   EXPECT_EQ( traceCount( "isAllocatedSrcTrunkIdx 4 is set: true" ), 1u );
}

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

   // Removal hands the bitmap over; without it nothing is held or recorded.
   Vela::Ptr< Ferro::Bitmap > cfmBitmap = slice->srcTrunkBitmapCfm();
   EXPECT_EQ( slice->srcTrunkBitmapCfmDel(), cfmBitmap );
   EXPECT_FALSE( slice->srcTrunkBitmapCfm() );
   EXPECT_EQ( slice->allocateSrcTrunkCfmIdx( 5 ), 5u );
   EXPECT_FALSE( slice->isAllocatedSrcTrunkCfmIdx( 5 ) );
   EXPECT_EQ( slice->allocatedLportCfmIdx(), 0u );
   slice->freeSrcTrunkCfmIdx( 5 );
}

TEST_F( AllocatorTest, BitmapsThroughTheGenericInterface ) {
   auto slice = makeSlice();
   const Quill::ValueList made{ U64( 0 ), U32( 64 ), U8( 1 ) };
   GenericResult r = generic( slice, Slice::srcTrunkBitmapCfmId, Quill::AttrOp::write, made );
   ASSERT_EQ( r.answer, Quill::AttrAnswer::done );
   EXPECT_EQ( r.value.asPtr< Ferro::Bitmap >(), slice->srcTrunkBitmapCfm() );
   EXPECT_EQ( slice->srcTrunkBitmapCfm()->size(), 64u );
   EXPECT_EQ( genericRead( slice, Slice::srcTrunkBitmapCfmId ).asPtr< Ferro::Bitmap >(),
              slice->srcTrunkBitmapCfm() );

   // A bit state outside the two known ones is refused, naming the parameter.
   try {
      generic( slice, Slice::srcTrunkBitmapId, Quill::AttrOp::write, { U64( 0 ), U32( 8 ), U8( 2 ) } );
      ADD_FAILURE() << "bit state 2 accepted";
   } catch( const Quill::RangeException & e ) {
      EXPECT_NE( std::string( e.what() ).find( "initialBitState" ), std::string::npos ) << e.what();
   }

   r = generic( slice, Slice::srcTrunkBitmapId, Quill::AttrOp::del );
   ASSERT_EQ( r.answer, Quill::AttrAnswer::done );
   EXPECT_TRUE( r.value.asPtr< Ferro::Bitmap >() );
   EXPECT_FALSE( slice->srcTrunkBitmap() );
   EXPECT_EQ( generic( slice, Slice::srcTrunkBitmapId, Quill::AttrOp::count ).answer,
              Quill::AttrAnswer::notSupported );

   EXPECT_EQ( genericCall( slice, Slice::allocateSrcTrunkCfmIdxId, { U32( 2 ) } ).asUnsigned(), 2u );
   EXPECT_TRUE( genericCall( slice, Slice::isAllocatedSrcTrunkCfmIdxId, { U32( 2 ) } ).asBool() );
   EXPECT_EQ( genericCall( slice, Slice::allocatedLportCfmIdxId ).asUnsigned(), 1u );
   genericCall( slice, Slice::freeSrcTrunkCfmIdxId, { U32( 2 ) } );
   EXPECT_EQ( genericCall( slice, Slice::allocatedLportCfmIdxId ).asUnsigned(), 0u );
   EXPECT_THROW( generic( slice, Slice::allocateSrcTrunkIdxId, Quill::AttrOp::call, { U64( 1 ) << 32 } ),
                 Quill::RangeException );
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
   EXPECT_DEATH( genericCall( slice, Slice::freeSrcTrunkCfmIdxId, { U32( 0xFFFFFFFFu ) } ),
                 "/src/StrataPacketTracer/StrataPacketTracerSliceMounter:113: "
                 "void Strata::StrataPacketTracerSliceSm::freeSrcTrunkCfmIdx\\(U32\\): "
                 "Assertion `idx != Ferro::HBitmap::null\\(\\)' failed" );
}

} // namespace
} // namespace PluginTest
