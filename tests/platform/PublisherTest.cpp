// Change notification: synchronous delivery and every kind of re-entrancy a
// callback can cause. Run under AddressSanitizer too: several of these only
// show their fault as a use after free. (The key and the value reaching the
// subscriber: the CFM changes a slice hears, plugin/CfmWalkTest.cpp, and the
// port table requests the simulator records, scenarios/plugin/tracer_apply_withdraw.scn.)
#include "Vela/Publisher.h"
#include "Pallet/Pallet.h"
#include "Quill/Entity.h"

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
   static void dispatch( Vela::Publisher *, Vela::Subscriber * s, short attrId, const void *, const void * ) {
      auto * self = s->ownerAs< Listener >();
      self->log.push_back( self->name + ":" + std::to_string( attrId ) );
      if( auto reaction = self->reaction ) { // a copy: the listener may go
         reaction( attrId );
      }
   }
   std::string name;
   Log & log;
   Vela::Subscriber sub{ &Listener::dispatch, this };
   std::function< void( short ) > reaction;
};

class PublisherTest : public ::testing::Test {
 protected:
   // Listeners "a", "b", "c", subscribed to `to` in that order.
   void subscribe( Vela::Publisher & to ) {
      for( Listener * l : { a.get(), b.get(), c.get() } ) {
         to.subscriberAdd( &l->sub );
      }
   }
   void SetUp() override { subscribe( publisher ); }
   void publish( short attrId ) { publisher.publish( attrId, nullptr, nullptr ); }
   std::unique_ptr< Listener > listener( const char * name ) { return std::make_unique< Listener >( name, log ); }
   Log log;
   Vela::Publisher publisher;
   std::unique_ptr< Listener > a = listener( "a" ), b = listener( "b" ), c = listener( "c" );
};

TEST_F( PublisherTest, DeliversToEverySubscriberOnce ) {
   publisher.subscriberAdd( &a->sub, false ); // once only
   publish( 12 );
   EXPECT_EQ( log, ( Log{ "a:12", "b:12", "c:12" } ) );
   publisher.subscriberRemove( &a->sub );
   publisher.subscriberRemove( &a->sub ); // not registered: ignored
   {
      Vela::Publisher other; // b moves there, and is let go when it goes
      other.subscriberAdd( &b->sub );
      EXPECT_EQ( publisher.subscribers(), 1u );
   }
   EXPECT_FALSE( b->sub.isSubscribed() );
}

// A subscriber removed during a delivery hears nothing more, even of the
// change being delivered; one added (or removed and added back) first hears
// the next change, after those already there.
TEST_F( PublisherTest, ChangesOfTheSubscribersDuringDeliveryTakeEffectAtOnceOrFromTheNextChange ) {
   Listener late( "late", log );
   a->reaction = [ & ]( short ) {
      publisher.subscriberRemove( &a->sub );
      publisher.subscriberAdd( &late.sub );
      publisher.subscriberRemove( &b->sub );
      publisher.subscriberAdd( &b->sub );
   };
   publish( 1 );
   publish( 2 );
   EXPECT_EQ( log, ( Log{ "a:1", "c:1", "c:2", "late:2", "b:2" } ) );
}

TEST_F( PublisherTest, CallbackMayDestroyTheOwnerOfAnySubscriber ) {
   a->reaction = [ & ]( short ) {
      a.reset(); // its own owner, subscriber included
      b.reset(); // another one, not yet called
   };
   publish( 5 );
   EXPECT_EQ( log, ( Log{ "a:5", "c:5" } ) );
   EXPECT_EQ( publisher.subscribers(), 1u );
}

TEST_F( PublisherTest, CallbackMayDestroyThePublishersOwnerEvenInANestedDelivery ) {
   const std::size_t liveBefore = Pallet::liveObjects( Quill::Entity::quillTypeName );
   auto entity = Pallet::make< Quill::Entity >( "doomed" );
   subscribe( entity->publisher() );
   a->reaction = [ & ]( short attrId ) {
      if( attrId == 1 ) {
         entity->publisher().publish( 2, nullptr, nullptr );
      }
   };
   b->reaction = [ & ]( short ) { entity = nullptr; };
   entity->publisher().publish( 1, nullptr, nullptr );
   EXPECT_EQ( log, ( Log{ "a:1", "a:2", "b:2" } ) ) << "the outer delivery ends too";
   EXPECT_FALSE( c->sub.isSubscribed() );
   EXPECT_EQ( Pallet::liveObjects( Quill::Entity::quillTypeName ), liveBefore );
}

} // namespace
