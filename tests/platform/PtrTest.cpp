// Counted framework objects: the reference word and Vela::Ptr. (Casts between
// the plug-in's types, and to an unrelated type giving nothing:
// plugin/MounterTest.cpp, a mistyped status entity. The slab allocator's count of live objects per type, down to a type
// never made: plugin/MounterTest.cpp and the scenarios' `expect live`.)
#include "Vela/Ptr.h"
#include "Pallet/Pallet.h"
#include "Quill/PtrInterface.h"

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
// The framework base is not the first base: the object and its
// Quill::PtrInterface part live at different addresses.
struct Payload {
   virtual ~Payload() = default;
   long payload[ 4 ] = { 1, 2, 3, 4 };
};
struct Mixed : Payload, Quill::PtrInterface {
   static constexpr const char * quillTypeName = "Test::Mixed";
};

// Flags never keep an object alive and survive counting, plain and atomic;
// atomic counting from many threads loses no change.
TEST( ReferenceWord, FlagsNeverKeepAnObjectAliveAndSurviveCounting ) {
   for( const int threadSafe : { 0, 1 } ) {
      const int saved = std::exchange( Quill::VFPtrInterface::threadSafePointers_, threadSafe );
      int deaths = 0;
      auto object = Pallet::make< Counted >( &deaths );
      object->quillMarkedForDeletionIs( true );
      object->hasNotificationActiveIs( true );
      auto second = object;
      EXPECT_EQ( object->referenceWord(), ( 1u << 31 ) | ( 1u << 29 ) | 2u );
      second = nullptr;
      object->hasNotificationActiveIs( false );
      EXPECT_EQ( object->referenceWord(), ( 1u << 31 ) | 1u );
      std::vector< std::thread > threads; // four when counting is atomic
      for( int t = 0; t < 4 * threadSafe; ++t ) {
         threads.emplace_back( [ &object ] {
            for( int i = 0; i < 20000; ++i ) {
               Vela::Ptr< Counted > copy = object;
            }
         } );
      }
      for( auto & thread : threads ) {
         thread.join();
      }
      EXPECT_EQ( object->referenceWord(), ( 1u << 31 ) | 1u );
      Counted * raw = object.ptr();
      raw->referencesInc();
      object = nullptr;
      EXPECT_EQ( deaths, 0 ) << "one counted reference is left";
      raw->referencesDec(); // the masked count reaches 0 with the deletion mark set
      EXPECT_EQ( deaths, 1 );
      Quill::VFPtrInterface::threadSafePointers_ = saved;
   }
}

TEST( VelaPtr, EqualityIsIdentityAcrossBasesNeverValue ) {
   int deaths = 0;
   auto a = Pallet::make< Counted >( &deaths, 7 );
   auto b = Pallet::make< Counted >( &deaths, 7 );
   EXPECT_NE( a, b );
   EXPECT_EQ( ( std::unordered_set< Vela::Ptr< Counted > >{ a, b, a } ).size(), 2u );

   Vela::Ptr< Quill::PtrInterface > moved = Vela::Ptr< Counted >( a );
   EXPECT_EQ( a->references(), 2u ) << "a move takes the reference over";
   a = nullptr;
   moved = nullptr;
   EXPECT_EQ( deaths, 1 );

   auto mixed = Pallet::make< Mixed >();
   Vela::Ptr< Quill::PtrInterface > asBase = mixed;
   ASSERT_NE( static_cast< const void * >( mixed.ptr() ), static_cast< const void * >( asBase.ptr() ) );
   EXPECT_TRUE( mixed == asBase && asBase == mixed );
}

} // namespace
