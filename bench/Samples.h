// Per-iteration durations, kept so that their median can be reported: the
// median is what one event costs when the machine does not interrupt it,
// which on a loaded machine the mean is not.
#pragma once

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace Bench {

class Samples {
 public:
   // Sized up front, so that recording allocates nothing in a timed loop;
   // samples beyond the capacity are dropped.
   explicit Samples( std::size_t capacity ) { samples_.reserve( capacity ); }

   void add( std::int64_t ns ) noexcept {
      if( samples_.size() < samples_.capacity() ) {
         samples_.push_back( ns );
      }
   }
   // 0 when nothing was recorded.
   double median() const {
      if( samples_.empty() ) {
         return 0;
      }
      std::vector< std::int64_t > sorted = samples_;
      const auto middle = sorted.begin() + std::ptrdiff_t( sorted.size() / 2 );
      std::nth_element( sorted.begin(), middle, sorted.end() );
      return double( *middle );
   }

   // Wall-clock nanoseconds: cheap to read, for events far shorter than a
   // scheduler's time slice (an interrupted one is an outlier the median drops).
   static std::int64_t now() noexcept {
      return std::chrono::duration_cast< std::chrono::nanoseconds >(
                std::chrono::steady_clock::now().time_since_epoch() )
         .count();
   }
   // This thread's CPU nanoseconds: dearer to read (a system call), for events
   // of milliseconds, which on a loaded machine are interrupted every time.
   static std::int64_t cpuNow() noexcept {
      timespec t{};
      clock_gettime( CLOCK_THREAD_CPUTIME_ID, &t );
      return std::int64_t( t.tv_sec ) * 1'000'000'000 + t.tv_nsec;
   }

 private:
   std::vector< std::int64_t > samples_;
};

} // namespace Bench
