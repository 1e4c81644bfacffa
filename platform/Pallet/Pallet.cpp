#include "Pallet/Pallet.h"

#include <array>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace Pallet {

namespace {

// Blocks are handed out in 16-byte size classes up to largestClassed; larger
// requests go to the system allocator but are tracked all the same.
constexpr std::size_t granule = 16;
constexpr std::size_t largestClassed = 2048;
constexpr std::size_t classCount = largestClassed / granule;
constexpr std::size_t slabBytes = 64 * 1024;

// Under AddressSanitizer every block comes from the system allocator, so that
// a use after free of a framework object is reported instead of hidden by
// block reuse.
#if defined( __SANITIZE_ADDRESS__ )
constexpr bool systemAllocatorOnly = true;
#elif defined( __has_feature )
#if __has_feature( address_sanitizer )
constexpr bool systemAllocatorOnly = true;
#else
constexpr bool systemAllocatorOnly = false;
#endif
#else
constexpr bool systemAllocatorOnly = false;
#endif

struct FreeBlock {
   FreeBlock * next;
};

class Slabs {
 public:
   void * allocate( std::size_t size ) {
      if( systemAllocatorOnly || size > largestClassed ) {
         return ::operator new( size, std::align_val_t( granule ) );
      }
      const std::size_t cls = classOf( size );
      if( FreeBlock * head = freeLists_[ cls ] ) {
         freeLists_[ cls ] = head->next;
         return head;
      }
      return carve( ( cls + 1 ) * granule );
   }

   void deallocate( void * block, std::size_t size ) noexcept {
      if( systemAllocatorOnly || size > largestClassed ) {
         ::operator delete( block, std::align_val_t( granule ) );
         return;
      }
      const std::size_t cls = classOf( size );
      auto * freed = static_cast< FreeBlock * >( block );
      freed->next = freeLists_[ cls ];
      freeLists_[ cls ] = freed;
   }

 private:
   static std::size_t classOf( std::size_t size ) { return size == 0 ? 0 : ( size - 1 ) / granule; }

   void * carve( std::size_t blockBytes ) {
      if( slabs_.empty() || used_ + blockBytes > slabBytes ) {
         slabs_.push_back( std::make_unique< Slab >() );
         used_ = 0;
      }
      void * block = slabs_.back()->bytes + used_;
      used_ += blockBytes;
      return block;
   }

   struct Slab {
      alignas( granule ) unsigned char bytes[ slabBytes ];
   };
   std::vector< std::unique_ptr< Slab > > slabs_;
   std::size_t used_ = 0;
   std::array< FreeBlock *, classCount > freeLists_{};
};

struct Registry {
   std::mutex mutex;
   Slabs slabs;
   std::deque< TypeTracker > trackers; // deque: trackers never move
   std::map< std::string, TypeTracker *, std::less<> > byName;
   std::set< std::string > makeable;
};

Registry &
registry() {
   // Never destroyed: objects may be released during static destruction.
   static Registry * instance = new Registry;
   return *instance;
}

} // namespace

TypeTracker &
tracker( const std::string & typeName ) {
   Registry & r = registry();
   std::lock_guard lock( r.mutex );
   auto found = r.byName.find( typeName );
   if( found != r.byName.end() ) {
      return *found->second;
   }
   TypeTracker & created = r.trackers.emplace_back();
   created.typeName = typeName;
   r.byName.emplace( typeName, &created );
   return created;
}

void *
allocate( std::size_t size, TypeTracker & tracker ) {
   Registry & r = registry();
   std::lock_guard lock( r.mutex );
   void * block = r.slabs.allocate( size );
   ++tracker.live;
   ++tracker.allocations;
   tracker.liveBytes += size;
   return block;
}

void
deallocate( void * block, std::size_t size, TypeTracker & tracker ) noexcept {
   Registry & r = registry();
   std::lock_guard lock( r.mutex );
   r.slabs.deallocate( block, size );
   --tracker.live;
   tracker.liveBytes -= size;
}

std::set< std::string >
makeableTypes() {
   Registry & r = registry();
   std::lock_guard lock( r.mutex );
   return r.makeable;
}

void
detail::makeableTypeIs( const char * typeName ) {
   Registry & r = registry();
   std::lock_guard lock( r.mutex );
   r.makeable.insert( typeName );
}

std::map< std::string, TypeTracker >
trackers() {
   Registry & r = registry();
   std::lock_guard lock( r.mutex );
   std::map< std::string, TypeTracker > copy;
   for( const auto & [ name, t ] : r.byName ) {
      copy.emplace( name, *t );
   }
   return copy;
}

std::size_t
liveObjects( const std::string & typeName ) {
   Registry & r = registry();
   std::lock_guard lock( r.mutex );
   auto found = r.byName.find( typeName );
   return found == r.byName.end() ? 0 : found->second->live;
}

} // namespace Pallet
