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

// A subscriber's owner: logs what it hears, then runs its reaction, which
// may destroy this very listener.
struct Listener {
   Listener( std::string n, Log & l ) : name( std::move( n ) ), log( l ) {}
   static void dispatch( Vela::Publisher *, Vela::Subscriber * s, short attrId, const void * key,
                         const void * value ) {
      auto * self = s->ownerAs< Listener >();
      self->log.push_back( self->name + ":" + std::to_string( attrId ) +
                           ( key ? "/" + std::to_string( *static_cast< const int * >( key ) ) : "" ) +
                           ( value ? "=" + *static_cast< const std::string * >( value ) : "" ) );
      if( auto reaction = self->reaction ) { // a copy: the listener may go
         reaction( attrId );
      }
   }
   std::string name;
   Log & log;
   Vela::Subscriber sub{ &Listener::dispatch, this };
   std::function< void( short ) > reaction;
};

void
publish( Vela::Publisher & publisher, short attrId ) {
   publisher.publish( attrId, nullptr, nullptr );
}

class PublisherTest : public ::testing::Test {
 protected:
   // Subscribes listeners "a", "b", "c" in that order.
   void SetUp() override {
      for( Listener * l : { &a, &b, &c } ) {
         publisher.subscriberAdd( &l->sub );
      }
   }
   Log log;
   Vela::Publisher publisher;
   Listener a{ "a", log }, b{ "b", log }, c{ "c", log };
};

TEST_F( PublisherTest, DeliversAttributeKeyAndValueToEverySubscriberOnce ) {
   publisher.subscriberAdd( &a.sub, false ); // once only
   int key = 34;
   std::string value = "v";
   publisher.publish( 12, &key, &value );
   EXPECT_EQ( log, ( Log{ "a:12/34=v", "b:12/34=v", "c:12/34=v" } ) );
   publisher.subscriberRemove( &a.sub );
   publisher.subscriberRemove( &a.sub ); // not registered: ignored
   {
      Vela::Publisher other; // b moves there, and is let go when it goes
      other.subscriberAdd( &b.sub );
      EXPECT_EQ( publisher.subscribers(), 1u );
   }
   EXPECT_FALSE( b.sub.isSubscribed() );
}

TEST_F( PublisherTest, RemovalDuringDeliveryTakesEffectAtOnce ) {
   a.reaction = [ & ]( short ) { // c must not hear the change being delivered
      publisher.subscriberRemove( &a.sub );
      publisher.subscriberRemove( &c.sub );
   };
   publish( publisher, 1 );
   publish( publisher, 2 );
   EXPECT_EQ( log, ( Log{ "a:1", "b:1", "b:2" } ) );
}

TEST_F( PublisherTest, SubscriberAddedDuringDeliveryFirstHearsTheNextChange ) {
   Listener late( "late", log );
   a.reaction = [ & ]( short ) {
      a.reaction = nullptr;
      publisher.subscriberAdd( &late.sub );
      publisher.subscriberRemove( &c.sub ); // removed and added back: a newcomer again
      publisher.subscriberAdd( &c.sub );
   };
   publish( publisher, 1 );
   publish( publisher, 2 );
   EXPECT_EQ( log, ( Log{ "a:1", "b:1", "a:2", "b:2", "late:2", "c:2" } ) );
}

TEST_F( PublisherTest, CallbackMayDestroyTheOwnerOfAnySubscriber ) {
   auto self = std::make_unique< Listener >( "self", log );
   auto other = std::make_unique< Listener >( "other", log );
   Vela::Publisher mine;
   for( Listener * l : { self.get(), other.get(), &c } ) {
      mine.subscriberAdd( &l->sub );
   }
   self->reaction = [ & ]( short ) {
      self.reset();  // its own owner, subscriber included
      other.reset(); // another one, not yet called
   };
   publish( mine, 5 );
   EXPECT_EQ( log, ( Log{ "self:5", "c:5" } ) );
   EXPECT_EQ( mine.subscribers(), 1u );
}

TEST_F( PublisherTest, CallbackMayDestroyThePublishersOwnerEvenInANestedDelivery ) {
   const std::size_t liveBefore = Pallet::liveObjects( Quill::Entity::quillTypeName );
   auto entity = Pallet::make< Quill::Entity >( "doomed" );
   for( Listener * l : { &a, &b, &c } ) {
      entity->publisher().subscriberAdd( &l->sub );
   }
   a.reaction = [ & ]( short attrId ) {
      if( attrId == 1 ) {
         publish( entity->publisher(), 2 );
      }
   };
   b.reaction = [ & ]( short ) { entity = nullptr; };
   publish( entity->publisher(), 1 );
   EXPECT_EQ( log, ( Log{ "a:1", "a:2", "b:2" } ) ) << "the outer delivery ends too";
   EXPECT_FALSE( c.sub.isSubscribed() );
   EXPECT_EQ( Pallet::liveObjects( Quill::Entity::quillTypeName ), liveBefore );
}

} // namespace
