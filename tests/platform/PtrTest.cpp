// Counted framework objects: the reference word, Vela::Ptr and the slab
// allocator's per-type tracking.
#include "Pallet/Pallet.h"
#include "Quill/PtrInterface.h"
#include "Vela/Ptr.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

// Counts its own destruction into a counter the test owns.
class Counted : public Quill::PtrInterface {
 public:
   static constexpr const char * quillTypeName = "Test::Counted";
   explicit Counted( int * deaths, int value = 0 ) : deaths_( deaths ), value_( value ) {}
   ~Counted() override { ++*deaths_; }
   // Value equality, which Vela::Ptr must never use.
   bool operator==( const Counted & other ) const { return value_ == other.value_; }

 private:
   int * deaths_;
   int value_;
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

struct ThrowsInConstructor : Quill::PtrInterface {
   static constexpr const char * quillTypeName = "Test::ThrowsInConstructor";
   explicit ThrowsInConstructor( int * deaths ) : member( deaths ) {
      throw std::runtime_error( "refused" );
   }
   Counted member; // fully built before the throw, so it is destroyed
};

constexpr U32 deletionMark = 1u << 31;
constexpr U32 notificationFlag = 1u << 29;

TEST( ReferenceWord, FlagsNeverKeepAnObjectAliveAndSurviveCounting ) {
   int deaths = 0;
   auto object = Pallet::make< Counted >( &deaths );
   object->quillMarkedForDeletionIs( true );
   object->hasNotificationActiveIs( true );
   {
      auto second = object;
      EXPECT_EQ( object->referenceWord(), deletionMark | notificationFlag | 2u );
      EXPECT_EQ( object->references(), 2u );
   }
   EXPECT_TRUE( object->quillMarkedForDeletion() );
   EXPECT_TRUE( object->hasNotificationActive() );
   object->hasNotificationActiveIs( false );
   EXPECT_EQ( object->referenceWord(), deletionMark | 1u );

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
   EXPECT_EQ( shared->references(), 1u );
   EXPECT_TRUE( shared->quillMarkedForDeletion() );
   EXPECT_EQ( deaths, 0 );
}

TEST( VelaPtr, NullIsValidAndEqualityIsIdentityNeverValue ) {
   Vela::Ptr< Counted > none;
   EXPECT_FALSE( none );
   EXPECT_TRUE( none == nullptr );
   EXPECT_FALSE( Vela::dynamicPtrCast< Unrelated >( none ) );

   int deaths = 0;
   auto a = Pallet::make< Counted >( &deaths, 7 );
   auto b = Pallet::make< Counted >( &deaths, 7 );
   ASSERT_TRUE( *a == *b );
   EXPECT_FALSE( a == b );
   EXPECT_TRUE( a != b );
   Vela::Ptr< Counted > copy = a;
   EXPECT_EQ( copy, a );
   EXPECT_EQ( ( std::unordered_set< Vela::Ptr< Counted > >{ a, b, copy } ).size(), 2u );
}

TEST( VelaPtr, ConversionFromDerivedAndMoves ) {
   int deaths = 0;
   auto derived = Pallet::make< DerivedCounted >( &deaths, 3 );
   Vela::Ptr< Counted > base = derived;
   EXPECT_EQ( base, derived );
   EXPECT_EQ( derived->references(), 2u );

   Vela::Ptr< Quill::PtrInterface > moved = std::move( base );
   EXPECT_FALSE( base );
   EXPECT_EQ( moved, derived );
   EXPECT_EQ( derived->references(), 2u ) << "a move takes the reference over";

   auto back = Vela::dynamicPtrCast< DerivedCounted >( moved );
   EXPECT_EQ( back, derived );
   EXPECT_FALSE( Vela::dynamicPtrCast< Unrelated >( moved ) );
   derived = nullptr;
   moved = nullptr;
   EXPECT_EQ( deaths, 0 );
   back = nullptr;
   EXPECT_EQ( deaths, 1 );
}

TEST( VelaPtr, IdentityHoldsWhenTheFrameworkBaseIsNotFirst ) {
   auto mixed = Pallet::make< Mixed >();
   Vela::Ptr< Quill::PtrInterface > asBase = mixed;
   ASSERT_NE( static_cast< const void * >( mixed.ptr() ), static_cast< const void * >( asBase.ptr() ) );
   EXPECT_EQ( mixed, asBase );
   EXPECT_EQ( asBase, mixed );
}

TEST( Pallet, LiveCountsFollowObjectsOfEachType ) {
   int deaths = 0;
   const std::size_t counted = Pallet::liveObjects( Counted::quillTypeName );
   const std::size_t derived = Pallet::liveObjects( DerivedCounted::quillTypeName );
   auto a = Pallet::make< Counted >( &deaths );
   auto b = Pallet::make< Counted >( &deaths );
   auto c = Pallet::make< DerivedCounted >( &deaths );
   EXPECT_EQ( Pallet::liveObjects( Counted::quillTypeName ), counted + 2 );
   EXPECT_EQ( Pallet::liveObjects( DerivedCounted::quillTypeName ), derived + 1 );
   a = nullptr;
   c = nullptr;
   EXPECT_EQ( Pallet::liveObjects( Counted::quillTypeName ), counted + 1 );
   EXPECT_EQ( Pallet::liveObjects( DerivedCounted::quillTypeName ), derived );
   EXPECT_EQ( Pallet::liveObjects( "Test::NeverAllocated" ), 0u );
}

TEST( Pallet, ObjectsWhoseFrameworkBaseIsNotFirstGoBackWhole ) {
   // A block given back at the wrong address is a bad free under
   // AddressSanitizer, and a block handed out twice shows as a changed payload.
   const std::size_t before = Pallet::liveObjects( Mixed::quillTypeName );
   for( int round = 0; round < 2; ++round ) {
      std::vector< Vela::Ptr< Mixed > > objects( 3 );
      for( auto & object : objects ) {
         object = Pallet::make< Mixed >();
      }
      for( const auto & object : objects ) {
         EXPECT_EQ( std::exchange( object->payload[ 3 ], 40 ), 4 );
      }
   }
   EXPECT_EQ( Pallet::liveObjects( Mixed::quillTypeName ), before );
}

TEST( Pallet, ThrowingConstructorLeavesNoLiveObjectAndNoBytes ) {
   int deaths = 0;
   const auto before = Pallet::trackers()[ ThrowsInConstructor::quillTypeName ];
   EXPECT_THROW( Pallet::make< ThrowsInConstructor >( &deaths ), std::runtime_error );
   EXPECT_EQ( deaths, 1 ) << "the member built before the throw is destroyed";
   const auto after = Pallet::trackers().at( ThrowsInConstructor::quillTypeName );
   EXPECT_EQ( after.live, before.live );
   EXPECT_EQ( after.liveBytes, before.liveBytes );
}

} // namespace
