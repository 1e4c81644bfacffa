#include "Vela/Publisher.h"

#include <algorithm>

namespace Vela {

Subscriber::~Subscriber() {
   if( publisher_ ) {
      publisher_->subscriberRemove( this );
   }
}

Publisher::~Publisher() {
   for( Delivery * d = deliveries_; d; d = d->outer ) {
      d->publisherGone = true;
   }
   for( Subscriber * s : subscribers_ ) {
      if( s ) {
         s->publisher_ = nullptr;
      }
   }
}

void
Publisher::subscriberAdd( Subscriber * subscriber, bool replay ) {
   replaysAsked_ += replay;
   if( subscriber->publisher_ == this ) {
      return;
   }
   if( subscriber->publisher_ ) {
      subscriber->publisher_->subscriberRemove( subscriber );
   }
   subscribers_.push_back( subscriber );
   subscriber->publisher_ = this;
}

void
Publisher::subscriberRemove( Subscriber * subscriber ) noexcept {
   if( subscriber->publisher_ != this ) {
      return;
   }
   subscriber->publisher_ = nullptr;
   auto found = std::find( subscribers_.begin(), subscribers_.end(), subscriber );
   if( found == subscribers_.end() ) {
      return;
   }
   if( deliveries_ ) {
      // Indices must stay put while a delivery walks them: leave a hole.
      *found = nullptr;
      ++removedDuringDelivery_;
   } else {
      subscribers_.erase( found );
   }
}

std::size_t
Publisher::subscribers() const noexcept {
   return subscribers_.size() - removedDuringDelivery_;
}

void
Publisher::publish( short attributeId, const void * key, const void * value ) {
   Delivery delivery{ deliveries_, false };
   deliveries_ = &delivery;
   struct Unwind {
      Publisher * self;
      Delivery * delivery;
      ~Unwind() {
         if( delivery->publisherGone ) {
            return;
         }
         self->deliveries_ = delivery->outer;
         if( !self->deliveries_ ) {
            self->compact();
         }
      }
   } unwind{ this, &delivery };

   const std::size_t heard = subscribers_.size();
   for( std::size_t i = 0; i < heard; ++i ) {
      Subscriber * s = subscribers_[ i ];
      if( !s ) {
         continue;
      }
      s->dispatch_( this, s, attributeId, key, value );
      if( delivery.publisherGone ) {
         return;
      }
   }
}

void
Publisher::compact() noexcept {
   if( removedDuringDelivery_ ) {
      std::erase( subscribers_, nullptr );
      removedDuringDelivery_ = 0;
   }
}

} // namespace Vela
