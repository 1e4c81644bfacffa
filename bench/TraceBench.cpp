// The price of a trace statement whose level is off, against a loop that does
// nothing: the plug-in has such statements on every path, and they must cost
// next to nothing when nobody listens. Both loops clobber memory once per
// iteration, so the compiler can neither drop nor hoist their bodies. The
// statement is the plug-in's own macro on its default handle, with the kind
// of operands the handlers stream.
#include "AgentWorld.h"

#include "PluginTrace.h"

#include <benchmark/benchmark.h>

namespace Bench {

namespace {

void
BM_EmptyLoop( benchmark::State & state ) {
   for( auto _ : state ) {
      benchmark::ClobberMemory();
   }
}

void
tracedLoop( benchmark::State & state ) {
   U32 counter = 0;
   for( auto _ : state ) {
      PT_TRACE( 0, Strata::TraceLine::programLPortTableCfm, "BM_TraceLevel" )
         << "programLPortTableCfm"
         << " lportIdx: " << counter << " setup: " << true;
      ++counter;
      benchmark::ClobberMemory();
   }
}

void
BM_TraceLevelOff( benchmark::State & state ) {
   TraceMode traceMode( false );
   tracedLoop( state );
}

// For comparison: the same statement with its level on and a sink that only
// counts the line.
void
BM_TraceLevelOn( benchmark::State & state ) {
   TraceMode traceMode( true );
   tracedLoop( state );
}

} // namespace

BENCHMARK( BM_EmptyLoop )->MinTime( 0.2 );
BENCHMARK( BM_TraceLevelOff )->MinTime( 0.2 );
BENCHMARK( BM_TraceLevelOn )->MinTime( 0.2 );

} // namespace Bench
