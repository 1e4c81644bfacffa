// The ordered map with a hashed index (the CFM configuration's collection):
// iteration stays in key order and the index never disagrees with the map,
// through inserts, overwrites, removals and changes made from a subscriber.
#include "Agent/CfmHwConfig.h"
#include "Pallet/Pallet.h"
#include "Quill/IndexedMap.h"
#include "Quill/PublishedMap.h"
#include "Vela/Publisher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Map = Quill::IndexedMap< std::string, int >;

std::vector< std::string >
keysInOrder( const Map & map ) {
   std::vector< std::string > keys;
   for( const auto & [ key, value ] : map ) {
      keys.push_back( key );
   }
   return keys;
}

TEST( IndexedMapTest, IteratesInKeyOrderAndFindsThroughTheIndex ) {
   Map map;
   for( const char * key : { "pear", "apple", "fig", "banana" } ) {
      EXPECT_TRUE( map.insert_or_assign( key, 1 ).second );
   }
   EXPECT_EQ( keysInOrder( map ), ( std::vector< std::string >{ "apple", "banana", "fig", "pear" } ) );

   // An overwrite keeps the entry (and its place in the index).
   auto [ at, inserted ] = map.insert_or_assign( "fig", 7 );
   EXPECT_FALSE( inserted );
   EXPECT_EQ( at->second, 7 );
   EXPECT_EQ( map.size(), 4u );
   ASSERT_NE( map.find( "fig" ), map.end() );
   EXPECT_EQ( map.find( "fig" )->second, 7 );
   EXPECT_EQ( map.find( "kiwi" ), map.end() );

   // A removed key is gone from both; the others still resolve to their entries.
   map.erase( map.find( "banana" ) );
   EXPECT_FALSE( map.contains( "banana" ) );
   EXPECT_EQ( map.find( "banana" ), map.end() );
   for( const char * key : { "apple", "fig", "pear" } ) {
      ASSERT_NE( map.find( key ), map.end() ) << key;
      EXPECT_EQ( map.find( key )->first, key );
   }
   // A key removed and added again is found at its new entry.
   EXPECT_TRUE( map.insert_or_assign( "banana", 3 ).second );
   EXPECT_EQ( map.find( "banana" )->second, 3 );
   EXPECT_EQ( keysInOrder( map ), ( std::vector< std::string >{ "apple", "banana", "fig", "pear" } ) );

   map.clear();
   EXPECT_TRUE( map.empty() );
   EXPECT_FALSE( map.contains( "apple" ) );
}

// "k" followed by the number (built by appending: GCC 12 at -O3 warns falsely
// on a literal + std::string&& concatenation).
std::string
keyOf( int i ) {
   std::string key( "k" );
   key += std::to_string( i );
   return key;
}

// Many keys: every lookup agrees with what was inserted and removed.
TEST( IndexedMapTest, IndexAgreesWithTheMapOverManyChanges ) {
   Map map;
   for( int i = 0; i < 2000; ++i ) {
      map.insert_or_assign( keyOf( i ), i );
   }
   for( int i = 0; i < 2000; i += 3 ) {
      map.erase( map.find( keyOf( i ) ) );
   }
   std::size_t present = 0;
   for( int i = 0; i < 2000; ++i ) {
      const bool expected = i % 3 != 0;
      const auto found = map.find( keyOf( i ) );
      EXPECT_EQ( found != map.end(), expected ) << i;
      if( found != map.end() ) {
         EXPECT_EQ( found->second, i );
         ++present;
      }
   }
   EXPECT_EQ( map.size(), present );
}

// The CFM configuration publishes as before; a subscriber that removes the
// key it is told about, or another one, leaves the index consistent.
TEST( IndexedMapTest, CfmConfigurationStaysConsistentUnderReentrantChanges ) {
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
