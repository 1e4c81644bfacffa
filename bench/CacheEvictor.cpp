#include "CacheEvictor.h"

#include <benchmark/benchmark.h>

namespace Bench {

// Filled with ones, so that every page is really there (not the shared zero
// page) and every read reaches memory.
CacheEvictor::CacheEvictor() : buffer_( bufferBytes, 1 ) {}

void
CacheEvictor::evict() {
   // One read per cache line. Reading leaves the caches full of clean lines:
   // had the buffer been written, the measured code would pay for writing
   // them back as it misses.
   unsigned sum = 0;
   for( std::size_t at = 0; at < buffer_.size(); at += 64 ) {
      sum += buffer_[ at ];
   }
   benchmark::DoNotOptimize( sum );
   benchmark::ClobberMemory();
}

} // namespace Bench
