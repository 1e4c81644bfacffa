// Heap use seen from inside the benchmark process.
//
// The benchmark program replaces the global operator new and delete so that
// every allocation made by the plug-in, the framework or the benchmark is
// counted: an allocation per event is a cost on the agent's only thread that
// the time figures alone do not explain. Counting one allocation costs two
// plain stores; the byte tally (malloc_usable_size on every allocation and
// release) is off unless a benchmark asks for it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace Bench {

struct HeapCounts {
   std::uint64_t allocations = 0;
   std::int64_t liveBytes = 0; // only while byte tracking is on
};

HeapCounts heapCounts() noexcept;

// Byte tracking for the lifetime of the object (for memory figures).
class HeapByteTracking {
 public:
   HeapByteTracking() noexcept;
   ~HeapByteTracking();
   HeapByteTracking( const HeapByteTracking & ) = delete;
   HeapByteTracking & operator=( const HeapByteTracking & ) = delete;
};

} // namespace Bench
