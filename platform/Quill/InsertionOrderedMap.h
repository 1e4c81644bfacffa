// A hash map whose entries lie side by side in one array, in the order they
// were inserted, with an open-addressed index of their positions beside it.
//
// For the state database's large collections (a CFM configuration may hold
// 100,000 keys). Two uses decide its shape:
// - every change is followed by lookups of the changed key in the
//   subscribers: finding a key is constant time, whatever the size;
// - a subscriber that starts late walks the whole collection: the walk reads
//   one array from front to back, which the processor streams, instead of
//   chasing separately allocated nodes across the heap (a node-based walk over
//   100,000 entries misses the caches on nearly every entry).
//
// Order: entries iterate in insertion order. Overwriting a key keeps its
// place; a removed key leaves a hole that iteration skips, and a key added
// again goes to the end. Holes are squeezed out (keeping the order) once
// they outnumber the entries, so the array stays at most about twice the
// entries and an erase costs amortised constant time; the removal that
// triggers the squeeze pays for it in one go.
//
// Invalidation: an insert may move every entry (the array grows), an erase
// may too (the squeeze); iterators and references do not survive either.
// Callers that change the map while walking it walk a copy.
//
// Offers the part of the std::map interface that Quill::PublishedMap uses;
// iterators are read-only (the key decides the entry's place in the index,
// and values change through insert_or_assign).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <limits>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace Quill {

template < typename K, typename V, typename Hash = std::hash< K > >
class InsertionOrderedMap {
   struct Slot {
      std::size_t hash;
      std::optional< std::pair< K, V > > entry; // empty: a hole left by an erase
   };
   using Position = std::uint32_t;
   static constexpr Position freeIndexSlot = std::numeric_limits< Position >::max();

 public:
   using key_type = K;
   using mapped_type = V;
   using value_type = std::pair< K, V >;
   using size_type = std::size_t;

   class const_iterator {
    public:
      using iterator_category = std::forward_iterator_tag;
      using value_type = InsertionOrderedMap::value_type;
      using difference_type = std::ptrdiff_t;
      using pointer = const value_type *;
      using reference = const value_type &;

      const_iterator() = default;
      reference operator*() const { return *at_->entry; }
      pointer operator->() const { return &*at_->entry; }
      const_iterator & operator++() {
         ++at_;
         skipHoles();
         return *this;
      }
      const_iterator operator++( int ) {
         const_iterator before = *this;
         ++*this;
         return before;
      }
      bool operator==( const const_iterator & other ) const noexcept { return at_ == other.at_; }

    private:
      friend class InsertionOrderedMap;
      const_iterator( const Slot * at, const Slot * end ) : at_( at ), end_( end ) { skipHoles(); }
      void skipHoles() {
         while( at_ != end_ && !at_->entry ) {
            ++at_;
         }
      }
      const Slot * at_ = nullptr;
      const Slot * end_ = nullptr;
   };
   using iterator = const_iterator;

   InsertionOrderedMap() = default;

   const_iterator begin() const noexcept { return iteratorAt( 0 ); }
   const_iterator end() const noexcept { return iteratorAt( slots_.size() ); }
   size_type size() const noexcept { return size_; }
   bool empty() const noexcept { return size_ == 0; }

   const_iterator find( const K & key ) const {
      const std::size_t at = indexSlotOf( key, Hash{}( key ) );
      return at == npos ? end() : iteratorAt( index_[ at ] );
   }
   bool contains( const K & key ) const { return indexSlotOf( key, Hash{}( key ) ) != npos; }

   // As std::map::insert_or_assign: the entry and whether it is new. A new
   // key goes to the end of the order; an existing one keeps its place.
   template < typename M >
   std::pair< const_iterator, bool > insert_or_assign( const K & key, M && value ) {
      const std::size_t hash = Hash{}( key );
      const std::size_t at = indexSlotOf( key, hash );
      if( at != npos ) {
         slots_[ index_[ at ] ].entry->second = std::forward< M >( value );
         return { iteratorAt( index_[ at ] ), false };
      }
      if( slots_.size() >= std::size_t( freeIndexSlot ) ) {
         throw std::length_error( "InsertionOrderedMap: more entries than positions" );
      }
      reserveIndexFor( size_ + 1 );
      slots_.push_back( Slot{ hash, value_type( key, std::forward< M >( value ) ) } );
      const Position position = Position( slots_.size() - 1 );
      index_[ freeIndexSlotFor( hash ) ] = position;
      ++size_;
      return { iteratorAt( position ), true };
   }

   // Removes the entry `at` refers to. The entry is destroyed after the map
   // is consistent again, so a value whose destruction reaches back into the
   // map finds it whole.
   void erase( const_iterator at ) {
      const Position position = Position( at.at_ - slots_.data() );
      [[maybe_unused]] std::optional< value_type > leaving = std::move( slots_[ position ].entry );
      slots_[ position ].entry.reset();
      unindex( position );
      --size_;
      while( !slots_.empty() && !slots_.back().entry ) {
         slots_.pop_back();
      }
      const std::size_t holes = slots_.size() - size_;
      if( holes > size_ && holes >= minimumHolesToSqueeze ) {
         squeezeHoles();
      }
   }

   void clear() noexcept {
      std::vector< Slot > leaving;
      leaving.swap( slots_ );
      index_.assign( index_.size(), freeIndexSlot );
      size_ = 0;
   }

 private:
   static constexpr std::size_t npos = std::numeric_limits< std::size_t >::max();
   // A few holes are not worth moving the entries for.
   static constexpr std::size_t minimumHolesToSqueeze = 16;

   const_iterator iteratorAt( std::size_t position ) const noexcept {
      const Slot * first = slots_.data();
      return const_iterator( first + position, first + slots_.size() );
   }

   // Where a hash starts probing: the hash spread by a Fibonacci multiply and
   // its top bits taken, so that hashes differing only in high bits (or
   // identity hashes of small integers) still spread over the whole index.
   std::size_t home( std::size_t hash ) const noexcept {
      return std::size_t( ( std::uint64_t( hash ) * 0x9E3779B97F4A7C15ull ) >> indexShift_ );
   }
   std::size_t mask() const noexcept { return index_.size() - 1; }

   // The index slot holding the key's position, or npos.
   std::size_t indexSlotOf( const K & key, std::size_t hash ) const {
      if( size_ == 0 ) {
         return npos;
      }
      for( std::size_t at = home( hash );; at = ( at + 1 ) & mask() ) {
         const Position position = index_[ at ];
         if( position == freeIndexSlot ) {
            return npos;
         }
         const Slot & slot = slots_[ position ];
         if( slot.hash == hash && slot.entry->first == key ) {
            return at;
         }
      }
   }

   std::size_t freeIndexSlotFor( std::size_t hash ) const noexcept {
      std::size_t at = home( hash );
      while( index_[ at ] != freeIndexSlot ) {
         at = ( at + 1 ) & mask();
      }
      return at;
   }

   // Takes a position out of the index, shifting back the entries probed past
   // it so that no lookup stops early at the gap (no tombstones needed).
   void unindex( Position position ) {
      std::size_t gap = home( slots_[ position ].hash );
      while( index_[ gap ] != position ) {
         gap = ( gap + 1 ) & mask();
      }
      for( std::size_t next = ( gap + 1 ) & mask(); index_[ next ] != freeIndexSlot; next = ( next + 1 ) & mask() ) {
         const std::size_t wanted = home( slots_[ index_[ next ] ].hash );
         // The entry at `next` may move into the gap unless its home lies
         // cyclically after the gap and at or before `next`.
         const bool homeBetween = gap <= next ? ( gap < wanted && wanted <= next ) : ( gap < wanted || wanted <= next );
         if( !homeBetween ) {
            index_[ gap ] = index_[ next ];
            gap = next;
         }
      }
      index_[ gap ] = freeIndexSlot;
   }

   // Keeps the index at most half full.
   void reserveIndexFor( std::size_t entries ) {
      if( entries * 2 <= index_.size() ) {
         return;
      }
      std::size_t capacity = index_.empty() ? 16 : index_.size();
      while( entries * 2 > capacity ) {
         capacity *= 2;
      }
      rebuildIndex( capacity );
   }

   void rebuildIndex( std::size_t capacity ) {
      index_.assign( capacity, freeIndexSlot );
      indexShift_ = 64;
      for( std::size_t c = capacity; c > 1; c >>= 1 ) {
         --indexShift_;
      }
      for( std::size_t position = 0; position < slots_.size(); ++position ) {
         if( slots_[ position ].entry ) {
            index_[ freeIndexSlotFor( slots_[ position ].hash ) ] = Position( position );
         }
      }
   }

   // Moves the entries over the holes, keeping their order, and re-indexes.
   void squeezeHoles() {
      std::size_t kept = 0;
      for( Slot & slot : slots_ ) {
         if( slot.entry ) {
            if( &slots_[ kept ] != &slot ) {
               slots_[ kept ] = std::move( slot );
            }
            ++kept;
         }
      }
      slots_.erase( slots_.begin() + std::ptrdiff_t( kept ), slots_.end() );
      rebuildIndex( index_.size() );
   }

   std::vector< Slot > slots_;     // insertion order, with holes
   std::vector< Position > index_; // power-of-two size; positions in slots_
   unsigned indexShift_ = 64;      // 64 - log2(index_.size())
   std::size_t size_ = 0;          // entries, holes not counted
};

} // namespace Quill
