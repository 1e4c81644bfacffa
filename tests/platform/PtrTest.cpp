// Counted framework objects: the reference word, Vela::Ptr and the slab
// allocator's per-type tracking.
#include "Pallet/Pallet.h"
#include "Quill/PtrInterface.h"
#include "Vela/Ptr.h"

#include <gtest/gtest.h>

#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

// Counts its own destruction into a counter the test owns.
struct Counted : Quill::PtrInterface {
   static constexpr const char * quillTypeName = "Test::Counted";
   explicit Counted( int * d, int v = 0 ) : deaths( d ), value( v ) {}
   ~Counted() override { ++*deaths; }
   bool operator==( const Counted & other ) const { return value == other.value; } // never used by Vela::Ptr
   int * deaths;
   int value;
};
struct DerivedCounted : Counted {
   static constexpr const char * quillTypeName = "Test::DerivedCounted";
   using Counted::Counted;
};
struct Unrelated : Quill::PtrInterface {};
// The framework base is not the first base: the object and its
// Quill::PtrInterface part live at different addresses.
struct Payload {
   virtual ~Payload() = default;
   long payload[ 4 ] = { 1, 2, 3, 4 };
};
struct Mixed : Payload, Quill::PtrInterface {
   static constexpr const char * quillTypeName = "Test::Mixed";
};

TEST( ReferenceWord, FlagsNeverKeepAnObjectAliveAndSurviveCounting ) {
   int deaths = 0;
   auto object = Pallet::make< Counted >( &deaths );
   object->quillMarkedForDeletionIs( true );
   object->hasNotificationActiveIs( true );
   auto second = object;
   EXPECT_EQ( object->referenceWord(), ( 1u << 31 ) | ( 1u << 29 ) | 2u );
   second = nullptr;
   object->hasNotificationActiveIs( false );
   EXPECT_EQ( object->referenceWord(), ( 1u << 31 ) | 1u );
   Counted * raw = object.ptr();
   raw->referencesInc();
   object = nullptr;
   EXPECT_EQ( deaths, 0 ) << "one counted reference is left";
   raw->referencesDec(); // the masked count reaches 0 with the deletion mark set
   EXPECT_EQ( deaths, 1 );
}

TEST( ReferenceWord, AtomicCountingFromManyThreads ) {
   const int saved = std::exchange( Quill::VFPtrInterface::threadSafePointers_, 1 );
   int deaths = 0;
   const auto shared = Pallet::make< Counted >( &deaths );
   shared->quillMarkedForDeletionIs( true );
   std::vector< std::thread > threads;
   for( int t = 0; t < 4; ++t ) {
      threads.emplace_back( [ &shared ] {
         std::vector< Vela::Ptr< Counted > > held;
         for( int i = 0; i < 20000; ++i ) {
            held.push_back( shared );
            if( held.size() == 8 ) {
               held.clear();
            }
         }
      } );
   }
   for( auto & thread : threads ) {
      thread.join();
   }
   Quill::VFPtrInterface::threadSafePointers_ = saved;
   EXPECT_EQ( shared->referenceWord(), ( 1u << 31 ) | 1u );
   EXPECT_EQ( deaths, 0 );
}

TEST( VelaPtr, EqualityIsIdentityAcrossBasesNeverValue ) {
   int deaths = 0;
   auto a = Pallet::make< DerivedCounted >( &deaths, 7 );
   auto b = Pallet::make< Counted >( &deaths, 7 );
   ASSERT_TRUE( *a == *b );
   EXPECT_NE( Vela::Ptr< Counted >( a ), b );
   EXPECT_EQ( ( std::unordered_set< Vela::Ptr< Counted > >{ a, b, a } ).size(), 2u );
   EXPECT_FALSE( Vela::dynamicPtrCast< Unrelated >( Vela::Ptr< Counted >() ) );

   Vela::Ptr< Quill::PtrInterface > moved = Vela::Ptr< Counted >( a );
   EXPECT_EQ( a->references(), 2u ) << "a move takes the reference over";
   EXPECT_EQ( Vela::dynamicPtrCast< DerivedCounted >( moved ), a );
   EXPECT_FALSE( Vela::dynamicPtrCast< Unrelated >( moved ) );
   a = nullptr;
   moved = nullptr;
   EXPECT_EQ( deaths, 1 );

   auto mixed = Pallet::make< Mixed >();
   Vela::Ptr< Quill::PtrInterface > asBase = mixed;
   ASSERT_NE( static_cast< const void * >( mixed.ptr() ), static_cast< const void * >( asBase.ptr() ) );
   EXPECT_TRUE( mixed == asBase && asBase == mixed );
}

TEST( Pallet, TracksLiveObjectsPerTypeAndGivesBlocksBackWhole ) {
   const std::size_t before = Pallet::liveObjects( Mixed::quillTypeName );
   // A block given back at the wrong address is a bad free under
   // AddressSanitizer, and a block handed out twice shows as a changed payload.
   for( int round = 0; round < 2; ++round ) {
      std::vector< Vela::Ptr< Mixed > > objects{ Pallet::make< Mixed >(), Pallet::make< Mixed >() };
      EXPECT_EQ( Pallet::liveObjects( Mixed::quillTypeName ), before + 2 );
      for( const auto & object : objects ) {
         EXPECT_EQ( std::exchange( object->payload[ 3 ], 40 ), 4 );
      }
   }
   EXPECT_EQ( Pallet::liveObjects( Mixed::quillTypeName ), before );
   EXPECT_EQ( Pallet::liveObjects( "Test::NeverAllocated" ), 0u );

}

} // namespace
