// An ordered map with a hashed index beside it: iteration in key order, as a
// std::map, and lookups in constant time however many entries it holds.
//
// For the state database's large collections (a CFM configuration may hold
// 100,000 keys), which subscribers look a key up in on every change: a walk
// down a tree of string-keyed nodes would make each change cost more as the
// collection grows. Inserting and removing still take the ordered map's
// logarithmic time; only finding a key is constant.
//
// The index refers to the keys inside the map's nodes, which never move while
// their entry lives; an entry leaves the index before it leaves the map.
// Offers the part of the std::map interface that Quill::PublishedMap uses.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <unordered_map>
#include <utility>

namespace Quill {

template< typename K, typename V, typename Hash = std::hash< K > >
class IndexedMap {
   using Ordered = std::map< K, V >;

 public:
   using key_type = K;
   using mapped_type = V;
   using value_type = typename Ordered::value_type;
   using size_type = typename Ordered::size_type;
   using iterator = typename Ordered::iterator;
   using const_iterator = typename Ordered::const_iterator;

   IndexedMap() = default;
   // The index points into this map's own nodes: a copy would point into the
   // original's.
   IndexedMap( const IndexedMap & ) = delete;
   IndexedMap & operator=( const IndexedMap & ) = delete;

   iterator begin() noexcept { return ordered_.begin(); }
   iterator end() noexcept { return ordered_.end(); }
   const_iterator begin() const noexcept { return ordered_.begin(); }
   const_iterator end() const noexcept { return ordered_.end(); }
   size_type size() const noexcept { return ordered_.size(); }
   bool empty() const noexcept { return ordered_.empty(); }

   iterator find( const K & key ) {
      auto found = index_.find( std::cref( key ) );
      return found == index_.end() ? ordered_.end() : found->second;
   }
   const_iterator find( const K & key ) const {
      auto found = index_.find( std::cref( key ) );
      return found == index_.end() ? ordered_.end() : const_iterator( found->second );
   }
   bool contains( const K & key ) const { return index_.find( std::cref( key ) ) != index_.end(); }

   // As std::map::insert_or_assign: the entry and whether it is new.
   template< typename M >
   std::pair< iterator, bool > insert_or_assign( const K & key, M && value ) {
      auto found = index_.find( std::cref( key ) );
      if( found != index_.end() ) {
         found->second->second = std::forward< M >( value );
         return { found->second, false };
      }
      iterator at = ordered_.emplace( key, std::forward< M >( value ) ).first;
      index_.emplace( std::cref( at->first ), at );
      return { at, true };
   }

   iterator erase( const_iterator at ) {
      index_.erase( std::cref( at->first ) );
      return ordered_.erase( at );
   }
   iterator erase( iterator at ) { return erase( const_iterator( at ) ); }

   void clear() noexcept {
      index_.clear();
      ordered_.clear();
   }

 private:
   struct KeyHash {
      std::size_t operator()( std::reference_wrapper< const K > key ) const { return Hash{}( key.get() ); }
   };
   struct KeyEqual {
      bool operator()( std::reference_wrapper< const K > a, std::reference_wrapper< const K > b ) const {
         return a.get() == b.get();
      }
   };

   Ordered ordered_;
   std::unordered_map< std::reference_wrapper< const K >, iterator, KeyHash, KeyEqual > index_;
};

} // namespace Quill
