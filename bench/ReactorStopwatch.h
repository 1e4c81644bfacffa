// Times the plug-in's own reaction to a change, inside the host's delivery.
//
// A publisher calls its subscribers in the order they subscribed. The
// stopwatch puts one subscriber of its own before the plug-in's (open(),
// called before the agent starts) and one after it (close(), called after),
// so that each delivered change is bracketed: the first stamp is taken just
// before the plug-in's reactor runs, the second just after it returns, and a
// third at once, to take the price of reading the clock off again. The host's
// own work on the change (updating its collection, calling the subscribers)
// stays outside the bracket.
//
// Durations are summed per iteration (endIteration()), and the median over
// the iterations is reported: the median is what one event costs when the
// machine does not interrupt it, which a loaded machine otherwise smears.
#pragma once

#include "Samples.h"
#include "Vela/Publisher.h"

#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace Bench {

class ReactorStopwatch {
 public:
   // `expectedIterations` sizes the record up front, so that recording
   // allocates nothing inside the timed loop.
   // The stopwatch's subscribers leave the publisher when it goes; make it
   // after the world that owns the publisher.
   ReactorStopwatch( Vela::Publisher & publisher, std::size_t expectedIterations );
   ReactorStopwatch( const ReactorStopwatch & ) = delete;
   ReactorStopwatch & operator=( const ReactorStopwatch & ) = delete;

   // Subscribes the opening stamp (before the plug-in subscribes).
   void open();
   // Subscribes the closing stamp (after the plug-in has subscribed).
   void close();

   // Ends one iteration: the bracketed time since the last call is recorded.
   void endIteration() noexcept;
   // The median of the recorded iterations, in nanoseconds (0 when none).
   double medianNs() const;
   // Reports the median as the counter `name`.
   void report( benchmark::State & state, const std::string & name ) const;

 private:
   static void opening( Vela::Publisher *, Vela::Subscriber *, short, const void *, const void * );
   static void closing( Vela::Publisher *, Vela::Subscriber *, short, const void *, const void * );

   Vela::Publisher & publisher_;
   Vela::Subscriber opening_{ &opening, this };
   Vela::Subscriber closing_{ &closing, this };
   std::int64_t openedAt_ = 0;
   std::int64_t iterationNs_ = 0;
   Samples iterations_;
};

} // namespace Bench
