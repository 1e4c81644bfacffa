#include "HeapCounter.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

namespace Bench {

namespace {

// Relaxed loads and stores, not read-modify-writes: the benchmarks run on one
// thread, and a locked add on every allocation would weigh on the figures.
std::atomic< std::uint64_t > allocationCount{ 0 };
std::atomic< std::int64_t > liveByteCount{ 0 };
std::atomic< bool > trackBytes{ false };

void
counted( void * block ) noexcept {
   allocationCount.store( allocationCount.load( std::memory_order_relaxed ) + 1, std::memory_order_relaxed );
   if( trackBytes.load( std::memory_order_relaxed ) ) {
      liveByteCount.store( liveByteCount.load( std::memory_order_relaxed ) +
                              std::int64_t( malloc_usable_size( block ) ),
                           std::memory_order_relaxed );
   }
}

void
released( void * block ) noexcept {
   if( block && trackBytes.load( std::memory_order_relaxed ) ) {
      liveByteCount.store( liveByteCount.load( std::memory_order_relaxed ) -
                              std::int64_t( malloc_usable_size( block ) ),
                           std::memory_order_relaxed );
   }
}

void *
allocate( std::size_t size ) {
   void * block = std::malloc( size ? size : 1 );
   if( !block ) {
      throw std::bad_alloc();
   }
   counted( block );
   return block;
}

void *
allocateAligned( std::size_t size, std::align_val_t alignment ) {
   const std::size_t align = std::max( std::size_t( alignment ), sizeof( void * ) );
   void * block = std::aligned_alloc( align, ( ( size ? size : 1 ) + align - 1 ) / align * align );
   if( !block ) {
      throw std::bad_alloc();
   }
   counted( block );
   return block;
}

void
release( void * block ) noexcept {
   released( block );
   std::free( block );
}

} // namespace

HeapCounts
heapCounts() noexcept {
   return HeapCounts{ allocationCount.load( std::memory_order_relaxed ),
                      liveByteCount.load( std::memory_order_relaxed ) };
}

// A block allocated before tracking started and freed during it would make
// the tally go negative; the figures are differences over one tracked span,
// in which the benchmark allocates and frees its own objects only.
HeapByteTracking::HeapByteTracking() noexcept {
   trackBytes.store( true, std::memory_order_relaxed );
}

HeapByteTracking::~HeapByteTracking() {
   trackBytes.store( false, std::memory_order_relaxed );
}

} // namespace Bench

void *
operator new( std::size_t size ) {
   return Bench::allocate( size );
}
void *
operator new[]( std::size_t size ) {
   return Bench::allocate( size );
}
void *
operator new( std::size_t size, std::align_val_t alignment ) {
   return Bench::allocateAligned( size, alignment );
}
void *
operator new[]( std::size_t size, std::align_val_t alignment ) {
   return Bench::allocateAligned( size, alignment );
}
void *
operator new( std::size_t size, const std::nothrow_t & ) noexcept {
   try {
      return Bench::allocate( size );
   } catch( ... ) {
      return nullptr;
   }
}
void *
operator new[]( std::size_t size, const std::nothrow_t & ) noexcept {
   try {
      return Bench::allocate( size );
   } catch( ... ) {
      return nullptr;
   }
}
void
operator delete( void * block ) noexcept {
   Bench::release( block );
}
void
operator delete[]( void * block ) noexcept {
   Bench::release( block );
}
void
operator delete( void * block, std::size_t ) noexcept {
   Bench::release( block );
}
void
operator delete[]( void * block, std::size_t ) noexcept {
   Bench::release( block );
}
void
operator delete( void * block, std::align_val_t ) noexcept {
   Bench::release( block );
}
void
operator delete[]( void * block, std::align_val_t ) noexcept {
   Bench::release( block );
}
void
operator delete( void * block, std::size_t, std::align_val_t ) noexcept {
   Bench::release( block );
}
void
operator delete[]( void * block, std::size_t, std::align_val_t ) noexcept {
   Bench::release( block );
}
