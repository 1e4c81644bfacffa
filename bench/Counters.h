// Counters the benchmarks attach to their rows, beside the time.
#pragma once

#include "HeapCounter.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>

namespace Bench {

// Heap allocations per iteration over the timed loop: construct before the
// loop, call report() after it.
class AllocationsPerIteration {
 public:
   AllocationsPerIteration() noexcept : before_( heapCounts().allocations ) {}
   void report( benchmark::State & state ) const {
      state.counters[ "allocs" ] =
         benchmark::Counter( double( heapCounts().allocations - before_ ), benchmark::Counter::kAvgIterations );
   }

 private:
   std::uint64_t before_;
};

// Trace lines per iteration (0 with traces off).
inline void
reportTraceLines( benchmark::State & state, std::size_t lines ) {
   state.counters[ "trace_lines" ] = benchmark::Counter( double( lines ), benchmark::Counter::kAvgIterations );
}

} // namespace Bench
