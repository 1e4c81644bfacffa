#include "ReactorStopwatch.h"

#include <algorithm>

namespace Bench {

ReactorStopwatch::ReactorStopwatch( Vela::Publisher & publisher, std::size_t expectedIterations )
      : publisher_( publisher ), iterations_( expectedIterations ) {}

void
ReactorStopwatch::open() {
   publisher_.subscriberAdd( &opening_ );
}

void
ReactorStopwatch::close() {
   publisher_.subscriberAdd( &closing_ );
}

void
ReactorStopwatch::opening( Vela::Publisher *, Vela::Subscriber * subscriber, short, const void *, const void * ) {
   subscriber->ownerAs< ReactorStopwatch >()->openedAt_ = Samples::now();
}

void
ReactorStopwatch::closing( Vela::Publisher *, Vela::Subscriber * subscriber, short, const void *, const void * ) {
   const std::int64_t closedAt = Samples::now();
   const std::int64_t clockRead = Samples::now() - closedAt;
   ReactorStopwatch & watch = *subscriber->ownerAs< ReactorStopwatch >();
   watch.iterationNs_ += std::max< std::int64_t >( 0, closedAt - watch.openedAt_ - clockRead );
}

void
ReactorStopwatch::endIteration() noexcept {
   iterations_.add( iterationNs_ );
   iterationNs_ = 0;
}

double
ReactorStopwatch::medianNs() const {
   return iterations_.median();
}

void
ReactorStopwatch::report( benchmark::State & state, const std::string & name ) const {
   state.counters[ name ] = medianNs();
}

} // namespace Bench
