// Leaves the processor's caches holding nothing of the benchmark's data, by
// reading through a buffer larger than the last-level cache. Used before a
// one-off event (a slice's initialisation), which on a running agent meets
// cold caches whatever the size of the configuration.
#pragma once

#include <cstddef>
#include <vector>

namespace Bench {

class CacheEvictor {
 public:
   // Twice the largest last-level cache of the machines this runs on.
   static constexpr std::size_t bufferBytes = std::size_t( 64 ) << 20;
   CacheEvictor();
   void evict();

 private:
   std::vector< unsigned char > buffer_;
};

} // namespace Bench
