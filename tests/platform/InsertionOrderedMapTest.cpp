// The CFM configuration's collection: entries iterate in insertion order, and
// the index never disagrees with the entries, through inserts, overwrites,
// removals (with the holes they leave squeezed out), clearing and colliding
// hashes. (A removal heard by a subscriber as the key's absence, and keys
// removed or replaced in the middle of a walk: plugin/CfmWalkTest.cpp.)
#include "Quill/InsertionOrderedMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <random>
#include <vector>

namespace {

// Hashes that collide on purpose: every key of a class probes from the same
// home, so removals must shift the probe chains back correctly.
struct CollidingHash {
   std::size_t operator()( int key ) const noexcept { return std::size_t( key % 5 ); }
};

// Random inserts, overwrites and removals against a plain reference (contents
// in a std::map, order in a vector): after every step the size, every lookup
// and the iteration order agree. A new key goes to the end, an overwritten one
// keeps its place, a removed value is released at once (a removed CFM
// configuration must not stay alive until some later squeeze). Long runs of
// removals squeeze the holes out, the index grows and is rebuilt on the way,
// and a clear half way starts the map afresh.
template < typename Hash >
void
agreesWithReference( unsigned seed ) {
   Quill::InsertionOrderedMap< int, std::shared_ptr< int >, Hash > map;
   std::map< int, std::shared_ptr< int > > contents;
   std::vector< int > order;
   std::mt19937 random( seed );
   for( int step = 0; step < 6000; ++step ) {
      // Phases of growth and of shrinking, so that the map empties out too.
      const bool growing = ( step / 1000 ) % 2 == 0;
      const int key = int( random() % 400 );
      if( step == 4500 ) {
         map.clear();
         contents.clear();
         order.clear();
      } else if( random() % 10 < ( growing ? 7u : 2u ) ) {
         const bool isNew = !contents.count( key );
         if( isNew ) {
            order.push_back( key );
         }
         contents[ key ] = std::make_shared< int >( step );
         const auto [ at, inserted ] = map.insert_or_assign( key, contents[ key ] );
         ASSERT_EQ( inserted, isNew ) << "step " << step << " key " << key;
         ASSERT_EQ( at->second, contents[ key ] ) << "step " << step << " key " << key;
      } else if( auto found = map.find( key ); found != map.end() ) {
         const std::shared_ptr< int > removed = contents[ key ];
         map.erase( found );
         contents.erase( key );
         order.erase( std::find( order.begin(), order.end(), key ) );
         ASSERT_EQ( removed.use_count(), 1 ) << "step " << step << " key " << key;
      } else {
         ASSERT_EQ( contents.count( key ), 0u ) << "step " << step << " key " << key;
      }
      ASSERT_EQ( map.size(), contents.size() ) << "step " << step;
      ASSERT_TRUE( std::equal( map.begin(), map.end(), order.begin(), order.end(),
                               []( const auto & entry, int key ) { return entry.first == key; } ) )
         << "step " << step;
      for( int probe = 0; probe < 400; probe += 7 ) {
         const auto found = map.find( probe );
         const auto expected = contents.find( probe );
         ASSERT_EQ( map.contains( probe ), expected != contents.end() ) << "step " << step << " key " << probe;
         ASSERT_EQ( found == map.end() ? nullptr : found->second,
                    expected == contents.end() ? nullptr : expected->second )
            << "step " << step << " key " << probe;
      }
   }
}

TEST( InsertionOrderedMapTest, AgreesWithAReferenceOverManyChanges ) {
   for( unsigned seed : { 1u, 2u, 3u } ) {
      agreesWithReference< std::hash< int > >( seed );
      agreesWithReference< CollidingHash >( seed );
   }
}

} // namespace
