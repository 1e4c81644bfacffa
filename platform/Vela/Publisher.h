// Change notification: an object's Publisher calls each Subscriber's static
// dispatch function synchronously on every attribute change.
//
// Delivery is re-entrant. A callback may add or remove subscribers of the
// very publisher that is calling it, destroy its own subscriber, or destroy
// the publisher's owner:
// - a subscriber removed during a delivery is not called again, not even for
//   the change being delivered;
// - a subscriber added during a delivery first hears the next change;
// - a publisher destroyed during a delivery stops delivering and touches
//   nothing of itself afterwards.
#pragma once

#include "Quill/Types.h"

#include <cstddef>
#include <vector>

namespace Vela {

class Publisher;
class Subscriber;

// publisher, subscriber, changed attribute, pointer to the changed key (null
// for a scalar attribute), pointer to the new value (null when the entry was
// removed).
using DispatchFn = void ( * )( Publisher *, Subscriber *, short, const void *, const void * );

class Subscriber {
 public:
   Subscriber( DispatchFn dispatch, void * owner ) noexcept : dispatch_( dispatch ), owner_( owner ) {}
   Subscriber( const Subscriber & ) = delete;
   Subscriber & operator=( const Subscriber & ) = delete;
   // A subscriber that is still registered removes itself.
   ~Subscriber();

   bool isSubscribed() const noexcept { return publisher_ != nullptr; }
   Publisher * publisher() const noexcept { return publisher_; }
   void * owner() const noexcept { return owner_; }
   template < typename T >
   T * ownerAs() const noexcept {
      return static_cast< T * >( owner_ );
   }

 private:
   friend class Publisher;
   DispatchFn dispatch_;
   void * owner_;
   Publisher * publisher_ = nullptr;
};

class Publisher {
 public:
   Publisher() = default;
   Publisher( const Publisher & ) = delete;
   Publisher & operator=( const Publisher & ) = delete;
   ~Publisher();

   // Registers a subscriber. A subscriber belongs to at most one publisher: one
   // registered elsewhere is moved here, one registered here stays once.
   // `replay` asks for the current state to be delivered at once; the objects
   // here publish changes only, so there is nothing to replay: the request is
   // only counted (replaysAsked), so that a test can hold a caller to it.
   void subscriberAdd( Subscriber * subscriber, bool replay = false );
   std::size_t replaysAsked() const noexcept { return replaysAsked_; }
   // Withdraws a subscriber; one that is not registered here is ignored.
   void subscriberRemove( Subscriber * subscriber ) noexcept;
   std::size_t subscribers() const noexcept;

   // Delivers one change to every subscriber registered when it starts.
   void publish( short attributeId, const void * key, const void * value );

 private:
   struct Delivery {
      Delivery * outer;
      bool publisherGone;
   };
   void compact() noexcept;

   std::vector< Subscriber * > subscribers_; // null: removed during a delivery
   std::size_t replaysAsked_ = 0;
   Delivery * deliveries_ = nullptr; // innermost delivery in progress
   std::size_t removedDuringDelivery_ = 0;
};

} // namespace Vela
