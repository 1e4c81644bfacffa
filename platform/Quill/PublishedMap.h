// A keyed collection attribute of an entity that publishes one change per
// entry changed: the attribute's id, a pointer to the key and a pointer to the
// new value (null when the entry was removed). Writing an entry publishes even
// when the value is unchanged (a write is a change notification); removing an
// absent key publishes nothing.
#pragma once

#include "Quill/Types.h"
#include "Vela/Publisher.h"

#include <cstddef>
#include <map>

namespace Quill {

template < typename K, typename V, typename Map = std::map< K, V > >
class PublishedMap {
 public:
   using const_iterator = typename Map::const_iterator;

   PublishedMap( Vela::Publisher & publisher, AttributeId id ) : publisher_( publisher ), id_( id ) {}

   AttributeId attributeId() const noexcept { return id_; }
   const V * find( const K & key ) const {
      auto found = map_.find( key );
      return found == map_.end() ? nullptr : &found->second;
   }
   bool contains( const K & key ) const { return map_.find( key ) != map_.end(); }
   std::size_t size() const noexcept { return map_.size(); }
   bool empty() const noexcept { return map_.empty(); }
   const_iterator begin() const { return map_.begin(); }
   const_iterator end() const { return map_.end(); }
   const Map & entries() const noexcept { return map_; }

   void set( const K & key, const V & value ) {
      auto [ at, inserted ] = map_.insert_or_assign( key, value );
      (void)inserted;
      // Publish copies: a subscriber may change this very map.
      const K keyCopy = at->first;
      const V valueCopy = at->second;
      publisher_.publish( id_, &keyCopy, &valueCopy );
   }

   bool erase( const K & key ) {
      auto found = map_.find( key );
      if( found == map_.end() ) {
         return false;
      }
      const K keyCopy = found->first;
      map_.erase( found );
      publisher_.publish( id_, &keyCopy, nullptr );
      return true;
   }

 private:
   Vela::Publisher & publisher_;
   AttributeId id_;
   Map map_;
};

} // namespace Quill
