// The CFM configuration's collection: entries iterate in insertion order, and
// the index never disagrees with the entries, through inserts, overwrites,
// removals (with the holes they leave squeezed out), colliding hashes and
// changes made from a subscriber.
#include "Agent/CfmHwConfig.h"
#include "Pallet/Pallet.h"
#include "Quill/InsertionOrderedMap.h"
#include "Quill/PublishedMap.h"
#include "Vela/Publisher.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Map = Quill::InsertionOrderedMap< std::string, int >;

template< typename M >
std::vector< typename M::key_type >
keysInOrder( const M & map ) {
   std::vector< typename M::key_type > keys;
   for( const auto & [ key, value ] : map ) {
      keys.push_back( key );
   }
   return keys;
}

using Keys = std::vector< std::string >;

TEST( InsertionOrderedMapTest, IteratesInInsertionOrderAndFindsThroughTheIndex ) {
   Map map;
   for( const char * key : { "pear", "apple", "fig", "banana" } ) {
      EXPECT_TRUE( map.insert_or_assign( key, 1 ).second );
   }
   EXPECT_EQ( keysInOrder( map ), ( Keys{ "pear", "apple", "fig", "banana" } ) );

   // An overwrite keeps the entry and its place.
   auto [ at, inserted ] = map.insert_or_assign( "apple", 7 );
   EXPECT_FALSE( inserted );
   EXPECT_EQ( at->second, 7 );
   EXPECT_EQ( map.size(), 4u );
   EXPECT_EQ( keysInOrder( map ), ( Keys{ "pear", "apple", "fig", "banana" } ) );
   ASSERT_NE( map.find( "apple" ), map.end() );
   EXPECT_EQ( map.find( "apple" )->second, 7 );
   EXPECT_EQ( map.find( "kiwi" ), map.end() );

   // A removed key leaves a hole iteration skips, first and last alike; the
   // others still resolve to their entries.
   map.erase( map.find( "pear" ) );
   map.erase( map.find( "fig" ) );
   EXPECT_FALSE( map.contains( "pear" ) );
   EXPECT_EQ( map.find( "fig" ), map.end() );
   EXPECT_EQ( keysInOrder( map ), ( Keys{ "apple", "banana" } ) );
   EXPECT_EQ( map.find( "banana" )->first, "banana" );
   // A key added again goes to the end.
   EXPECT_TRUE( map.insert_or_assign( "pear", 3 ).second );
   EXPECT_EQ( map.find( "pear" )->second, 3 );
   EXPECT_EQ( keysInOrder( map ), ( Keys{ "apple", "banana", "pear" } ) );

   map.clear();
   EXPECT_TRUE( map.empty() );
   EXPECT_EQ( map.begin(), map.end() );
   EXPECT_FALSE( map.contains( "apple" ) );
   EXPECT_TRUE( map.insert_or_assign( "kiwi", 1 ).second );
   EXPECT_EQ( keysInOrder( map ), ( Keys{ "kiwi" } ) );
}

// Hashes that collide on purpose: every key of a class probes from the same
// home, so removals must shift the probe chains back correctly.
struct CollidingHash {
   std::size_t operator()( int key ) const noexcept { return std::size_t( key % 5 ); }
};

// Random inserts, overwrites and removals against a plain reference (contents
// in a std::map, order in a vector): after every step the size, every lookup
// and the iteration order agree. Long runs of removals squeeze the holes out
// and the index grows and is rebuilt on the way.
template< typename Hash >
void
agreesWithReference( unsigned seed ) {
   Quill::InsertionOrderedMap< int, int, Hash > map;
   std::map< int, int > contents;
   std::vector< int > order;
   std::mt19937 random( seed );
   for( int step = 0; step < 6000; ++step ) {
      // Phases of growth and of shrinking, so that the map empties out too.
      const bool growing = ( step / 1000 ) % 2 == 0;
      const int key = int( random() % 400 );
      if( random() % 10 < ( growing ? 7u : 2u ) ) {
         if( !contents.count( key ) ) {
            order.push_back( key );
         }
         contents[ key ] = step;
         map.insert_or_assign( key, step );
      } else if( auto found = map.find( key ); found != map.end() ) {
         map.erase( found );
         contents.erase( key );
         order.erase( std::find( order.begin(), order.end(), key ) );
      } else {
         ASSERT_EQ( contents.count( key ), 0u ) << "step " << step << " key " << key;
      }
      ASSERT_EQ( map.size(), contents.size() ) << "step " << step;
      ASSERT_EQ( keysInOrder( map ), order ) << "step " << step;
      for( int probe = 0; probe < 400; probe += 7 ) {
         const auto found = map.find( probe );
         const auto expected = contents.find( probe );
         ASSERT_EQ( found != map.end(), expected != contents.end() ) << "step " << step << " key " << probe;
         if( found != map.end() ) {
            ASSERT_EQ( found->second, expected->second ) << "step " << step << " key " << probe;
         }
      }
   }
}

TEST( InsertionOrderedMapTest, AgreesWithAReferenceOverManyChanges ) {
   for( unsigned seed : { 1u, 2u, 3u } ) {
      agreesWithReference< std::hash< int > >( seed );
      agreesWithReference< CollidingHash >( seed );
   }
}

// A removed value is released at once, not kept in its hole: a removed CFM
// configuration must not stay alive until some later squeeze.
TEST( InsertionOrderedMapTest, ReleasesARemovedValueAtOnce ) {
   Quill::InsertionOrderedMap< int, std::shared_ptr< int > > map;
   auto first = std::make_shared< int >( 1 );
   map.insert_or_assign( 1, first );
   map.insert_or_assign( 2, std::make_shared< int >( 2 ) );
   EXPECT_EQ( first.use_count(), 2 );
   map.erase( map.find( 1 ) );
   EXPECT_EQ( first.use_count(), 1 );
   EXPECT_EQ( keysInOrder( map ), ( std::vector< int >{ 2 } ) );
}

// The CFM configuration publishes as before; a subscriber that removes the
// key it is told about, or another one, leaves the index consistent.
TEST( InsertionOrderedMapTest, CfmConfigurationStaysConsistentUnderReentrantChanges ) {
   auto config = Pallet::make< CfmSw::CfmHwConfig >( "cfm" );
   const CfmSw::IntfVlanTuple a( Lumo::IntfId( "Ethernet1" ), 10 ), b( Lumo::IntfId( "Ethernet1" ), 20 );
   auto value = [ & ]( const CfmSw::IntfVlanTuple & key ) {
      return Pallet::make< CfmSw::CfmForwardingConfig >( key );
   };
   std::vector< bool > heardPresent;
   struct Owner {
      CfmSw::CfmHwConfig * config;
      std::vector< bool > * heard;
      CfmSw::IntfVlanTuple removeOnAdd;
   } owner{ config.ptr(), &heardPresent, b };
   Vela::Subscriber subscriber(
      []( Vela::Publisher *, Vela::Subscriber * s, short, const void * key, const void * newValue ) {
         auto * o = s->ownerAs< Owner >();
         const auto & changed = *static_cast< const CfmSw::IntfVlanTuple * >( key );
         o->heard->push_back( o->config->forwardingConfig.contains( changed ) );
         if( newValue && !( changed == o->removeOnAdd ) ) {
            o->config->forwardingConfig.erase( o->removeOnAdd );
         }
      },
      &owner );
   config->publisher().subscriberAdd( &subscriber );

   config->forwardingConfig.set( b, value( b ) ); // heard present; removes nothing (it is b)
   config->forwardingConfig.set( a, value( a ) ); // heard present; removes b, heard absent
   EXPECT_EQ( heardPresent, ( std::vector< bool >{ true, true, false } ) );
   EXPECT_TRUE( config->forwardingConfig.contains( a ) );
   EXPECT_FALSE( config->forwardingConfig.contains( b ) );
   EXPECT_EQ( config->forwardingConfig.size(), 1u );
   config->publisher().subscriberRemove( &subscriber );
}

} // namespace
