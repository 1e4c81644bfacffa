// Change notification: synchronous delivery and every kind of re-entrancy a
// callback can cause. Run under AddressSanitizer too: several of these only
// show their fault as a use after free.
#include "Pallet/Pallet.h"
#include "Quill/Entity.h"
#include "Vela/Publisher.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

using Log = std::vector< std::string >;

// A subscriber's owner: logs what it hears into the test's log, then runs its
// reaction, which may destroy this very listener.
struct Listener {
   Listener( std::string n, Log & l ) : name( std::move( n ) ), log( l ) {}
   Vela::Subscriber & subscriber() { return sub; }
   void reactionIs( std::function< void( short ) > r ) { reaction = std::move( r ); }

   static void dispatch( Vela::Publisher *, Vela::Subscriber * s, short attrId, const void * key,
                         const void * value ) {
      auto * self = s->ownerAs< Listener >();
      self->log.push_back( self->name + ":" + std::to_string( attrId ) );
      self->lastKey = key ? *static_cast< const int * >( key ) : -1;
      self->lastValue = value ? *static_cast< const std::string * >( value ) : "<none>";
      if( auto reaction = self->reaction ) { // a copy: the listener may go
         reaction( attrId );
      }
   }

   std::string name;
   Log & log;
   Vela::Subscriber sub{ &Listener::dispatch, this };
   std::function< void( short ) > reaction;
   int lastKey = -1;
   std::string lastValue;
};

void
publish( Vela::Publisher & publisher, short attrId, int key = 0, std::string value = "v" ) {
   publisher.publish( attrId, &key, &value );
}

TEST( Publisher, DeliversAttributeKeyAndValueToEverySubscriber ) {
   Log log;
   Vela::Publisher publisher;
   Listener a( "a", log ), b( "b", log );
   publisher.subscriberAdd( &a.subscriber(), false );
   publisher.subscriberAdd( &b.subscriber(), false );
   publisher.subscriberAdd( &a.subscriber(), false ); // once only
   EXPECT_EQ( publisher.subscribers(), 2u );

   publish( publisher, 12, 34, "value" );
   EXPECT_EQ( log, ( Log{ "a:12", "b:12" } ) );
   EXPECT_EQ( b.lastKey, 34 );
   EXPECT_EQ( b.lastValue, "value" );

   publisher.publish( 3, nullptr, nullptr ); // a scalar attribute removed
   EXPECT_EQ( a.lastKey, -1 );
   EXPECT_EQ( a.lastValue, "<none>" );

   publisher.subscriberRemove( &a.subscriber() );
   publisher.subscriberRemove( &a.subscriber() ); // not registered: ignored
   EXPECT_FALSE( a.subscriber().isSubscribed() );
   {
      Vela::Publisher other; // b moves there, and is let go when it goes
      other.subscriberAdd( &b.subscriber() );
      EXPECT_EQ( publisher.subscribers(), 0u );
   }
   EXPECT_FALSE( b.subscriber().isSubscribed() );
}

TEST( Publisher, RemovalDuringDeliveryTakesEffectAtOnce ) {
   Log log;
   Vela::Publisher publisher;
   Listener a( "a", log ), b( "b", log ), c( "c", log );
   for( Listener * l : { &a, &b, &c } ) {
      publisher.subscriberAdd( &l->subscriber() );
   }
   // a removes itself and c; c must not hear the change being delivered.
   a.reactionIs( [ & ]( short ) {
      publisher.subscriberRemove( &a.subscriber() );
      publisher.subscriberRemove( &c.subscriber() );
      EXPECT_EQ( publisher.subscribers(), 1u );
   } );
   publish( publisher, 1 );
   EXPECT_EQ( log, ( Log{ "a:1", "b:1" } ) );
   EXPECT_EQ( publisher.subscribers(), 1u );

   log.clear();
   publish( publisher, 2 );
   EXPECT_EQ( log, ( Log{ "b:2" } ) );
}

TEST( Publisher, SubscriberAddedDuringDeliveryFirstHearsTheNextChange ) {
   Log log;
   Vela::Publisher publisher;
   Listener a( "a", log ), late( "late", log ), again( "again", log );
   publisher.subscriberAdd( &a.subscriber() );
   publisher.subscriberAdd( &again.subscriber() );
   a.reactionIs( [ & ]( short ) {
      publisher.subscriberAdd( &late.subscriber() );
      // Removed and added back within one delivery: a newcomer again.
      publisher.subscriberRemove( &again.subscriber() );
      publisher.subscriberAdd( &again.subscriber() );
   } );
   publish( publisher, 1 );
   EXPECT_EQ( log, ( Log{ "a:1" } ) );
   EXPECT_EQ( publisher.subscribers(), 3u );

   a.reactionIs( nullptr );
   log.clear();
   publish( publisher, 2 );
   EXPECT_EQ( log, ( Log{ "a:2", "late:2", "again:2" } ) );
}

TEST( Publisher, CallbackMayDestroyTheOwnerOfAnySubscriber ) {
   Log log;
   Vela::Publisher publisher;
   auto self = std::make_unique< Listener >( "self", log );
   auto other = std::make_unique< Listener >( "other", log );
   Listener last( "last", log );
   publisher.subscriberAdd( &self->subscriber() );
   publisher.subscriberAdd( &other->subscriber() );
   publisher.subscriberAdd( &last.subscriber() );
   self->reactionIs( [ & ]( short ) {
      self.reset();  // its own owner, subscriber included
      other.reset(); // another one, not yet called
   } );
   publish( publisher, 5 );
   EXPECT_EQ( log, ( Log{ "self:5", "last:5" } ) );
   EXPECT_EQ( publisher.subscribers(), 1u );
}

TEST( Publisher, CallbackMayDestroyThePublishersOwnerEntity ) {
   Log log;
   const std::size_t liveBefore = Pallet::liveObjects( Quill::Entity::quillTypeName );
   auto entity = Pallet::make< Quill::Entity >( "doomed" );
   Listener killer( "killer", log ), after( "after", log );
   entity->publisher().subscriberAdd( &killer.subscriber() );
   entity->publisher().subscriberAdd( &after.subscriber() );
   killer.reactionIs( [ & ]( short ) { entity = nullptr; } );
   publish( entity->publisher(), 9 );
   EXPECT_FALSE( entity );
   EXPECT_EQ( log, ( Log{ "killer:9" } ) ) << "a destroyed publisher stops delivering";
   EXPECT_FALSE( after.subscriber().isSubscribed() );
   EXPECT_EQ( Pallet::liveObjects( Quill::Entity::quillTypeName ), liveBefore );
}

TEST( Publisher, NestedPublishFromACallback ) {
   Log log;
   Vela::Publisher publisher;
   Listener a( "a", log ), b( "b", log ), c( "c", log );
   for( Listener * l : { &a, &b, &c } ) {
      publisher.subscriberAdd( &l->subscriber() );
   }
   b.reactionIs( [ & ]( short attrId ) {
      if( attrId == 1 ) {
         publisher.subscriberRemove( &a.subscriber() ); // already called for 1
         publish( publisher, 2 );
      }
   } );
   publish( publisher, 1 );
   EXPECT_EQ( log, ( Log{ "a:1", "b:1", "b:2", "c:2", "c:1" } ) );
   EXPECT_EQ( publisher.subscribers(), 2u );

   // A destroying callback inside a nested delivery ends the outer one too.
   auto entity = Pallet::make< Quill::Entity >( "nested" );
   Listener outer( "outer", log ), inner( "inner", log ), tail( "tail", log );
   for( Listener * l : { &outer, &inner, &tail } ) {
      entity->publisher().subscriberAdd( &l->subscriber() );
   }
   outer.reactionIs( [ & ]( short attrId ) {
      if( attrId == 1 ) {
         publish( entity->publisher(), 2 );
      }
   } );
   inner.reactionIs( [ & ]( short ) { entity = nullptr; } );
   log.clear();
   publish( entity->publisher(), 1 );
   EXPECT_EQ( log, ( Log{ "outer:1", "outer:2", "inner:2" } ) );
}

TEST( Publisher, ExceptionFromACallbackLeavesThePublisherUsable ) {
   Log log;
   Vela::Publisher publisher;
   Listener a( "a", log ), b( "b", log );
   publisher.subscriberAdd( &a.subscriber() );
   publisher.subscriberAdd( &b.subscriber() );
   a.reactionIs( [ & ]( short ) {
      publisher.subscriberRemove( &b.subscriber() );
      throw std::runtime_error( "callback failed" );
   } );
   EXPECT_THROW( publish( publisher, 1 ), std::runtime_error );
   a.reactionIs( nullptr );
   EXPECT_EQ( publisher.subscribers(), 1u );
   log.clear();
   publish( publisher, 2 );
   EXPECT_EQ( log, ( Log{ "a:2" } ) );
}

} // namespace
