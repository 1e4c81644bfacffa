// A slice's initialisation against the size of the CFM configuration
// (configurations: CfmConfig.h).
//
// BM_SliceInit: a module is listed and the root makes its slice, whose
// initialisation programs every key already configured (claim and
// source-trunk-map request per key; the profile written once). Only the
// creation is timed; removing the module again is not. per_key is the time
// divided by the number of keys.
//
// Initialisation is a one-off event: on a running agent it meets caches that
// hold whatever the agent did last, not the configuration. With cold:1 the
// caches are emptied before every initialisation, so every size starts as it
// would on a switch; with cold:0 the same configuration is walked again at
// once, which lets a small configuration run from the caches and a large one
// not (the figures then measure the cache sizes as much as the plug-in).
//
// BM_SliceInitScaling: 1,000 and 100,000 keys alternately in one loop, warm
// and cold, with the walk floor beside them. The target is checked on its
// warm figures; the floor and the cold figures say where the difference goes.
//
// BM_CfmConfigWalkFloor: the floor of that walk, merely copying every key of
// the configuration and its value's address out in one pass (as the slice's
// snapshot does), without programming anything. The host keeps the
// configuration in one array, so the copy streams through memory at every
// size; were it scattered over the heap, this floor would grow per key as
// soon as the configuration outgrew the caches.
#include "AgentWorld.h"
#include "CacheEvictor.h"
#include "CfmConfig.h"
#include "Counters.h"
#include "HeapCounter.h"
#include "Samples.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace Bench {

namespace {

// The floor of the slice's walk: every key and the address of its value
// copied out in one pass, as the slice's snapshot does, then let go.
void
copyConfigOut( const AgentWorld & world ) {
   struct Entry {
      CfmSw::IntfVlanTuple key;
      const CfmSw::CfmForwardingConfig * config;
   };
   std::vector< Entry > entries;
   entries.reserve( world.cfm()->forwardingConfig.size() );
   for( const auto & [ key, config ] : world.cfm()->forwardingConfig ) {
      entries.push_back( Entry{ key, config.ptr() } );
   }
   benchmark::DoNotOptimize( entries.data() );
}

void
reportPerKey( benchmark::State & state, unsigned keys ) {
   state.counters[ "per_key" ] = benchmark::Counter( double( keys ) * double( state.iterations() ),
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert );
}

void
BM_SliceInit( benchmark::State & state ) {
   const unsigned keys = unsigned( state.range( 0 ) );
   const bool cold = state.range( 1 ) != 0;
   const bool traces = state.range( 2 ) != 0;
   AgentWorld world;
   buildInterfaces( world );
   world.start(); // the root, with no module listed yet: no slice
   buildConfig( world, keys );
   std::unique_ptr< CacheEvictor > evictor = cold ? std::make_unique< CacheEvictor >() : nullptr;

   TraceMode traceMode( traces );
   std::uint64_t timedAllocations = 0;
   std::size_t requestsPosted = 0;
   for( auto _ : state ) {
      if( evictor ) {
         state.PauseTiming();
         evictor->evict();
         state.ResumeTiming();
      }
      const std::uint64_t before = heapCounts().allocations;
      world.moduleIs( 1 );
      timedAllocations += heapCounts().allocations - before;
      state.PauseTiming();
      requestsPosted += world.requestDir()->requests().size();
      world.moduleDel( 1 );
      world.requestsDrain();
      state.ResumeTiming();
   }
   state.counters[ "allocs" ] = benchmark::Counter( double( timedAllocations ), benchmark::Counter::kAvgIterations );
   reportPerKey( state, keys );
   reportTraceLines( state, traceMode.lines() );
   if( requestsPosted != std::size_t( keys ) * std::size_t( state.iterations() ) ) {
      state.SkipWithError( "initialisation did not program every key" );
   }
}

void
BM_CfmConfigWalkFloor( benchmark::State & state ) {
   const unsigned keys = unsigned( state.range( 0 ) );
   const bool cold = state.range( 1 ) != 0;
   AgentWorld world;
   buildConfig( world, keys );
   std::unique_ptr< CacheEvictor > evictor = cold ? std::make_unique< CacheEvictor >() : nullptr;
   for( auto _ : state ) {
      if( evictor ) {
         state.PauseTiming();
         evictor->evict();
         state.ResumeTiming();
      }
      copyConfigOut( world );
   }
   reportPerKey( state, keys );
}

// The target's sizes side by side: two agents, with 1,000 and 100,000 keys,
// measured in turn in every iteration, so that a change of load on a shared
// machine meets both alike. For each size, per iteration: one
// initialisation from cold caches, then one right after another (warm), then
// the configuration walk floor right after another walk (warm), each timed in
// this thread's CPU time (an initialisation of 100,000 keys outlasts a
// scheduler's time slice). Counters are medians, per key, for N keys:
//   per_key_ns_N   warm initialisation (the target's figure)
//   walk_ns_N      the warm floor: copying the configuration out
//   own_ns_N       per_key_ns_N - walk_ns_N: the plug-in's work beyond
//                  reading the configuration
//   cold_ns_N      initialisation from cold caches
class InitAgent {
 public:
   // `repeats` samples of each kind per iteration (cheap sizes take more, so
   // that their medians rest on as many samples as the expensive ones').
   InitAgent( unsigned keys, std::size_t iterations, unsigned repeats )
         : keys_( keys ), repeats_( repeats ), warm_( iterations * repeats ), walk_( iterations * repeats ),
           cold_( iterations * repeats ) {
      buildInterfaces( world_ );
      world_.start();
      buildConfig( world_, keys );
   }

   void measure( CacheEvictor & evictor ) {
      for( unsigned r = 0; r < repeats_; ++r ) {
         evictor.evict();
         cold_.add( timedInit() );
      }
      timedInit();
      for( unsigned r = 0; r < repeats_; ++r ) {
         warm_.add( timedInit() );
      }
      timedWalk();
      for( unsigned r = 0; r < repeats_; ++r ) {
         walk_.add( timedWalk() );
      }
   }

   void report( benchmark::State & state ) const {
      const std::string n = std::to_string( keys_ );
      const double keys = double( keys_ );
      state.counters[ "per_key_ns_" + n ] = warm_.median() / keys;
      state.counters[ "walk_ns_" + n ] = walk_.median() / keys;
      state.counters[ "own_ns_" + n ] = ( warm_.median() - walk_.median() ) / keys;
      state.counters[ "cold_ns_" + n ] = cold_.median() / keys;
   }

 private:
   // Only the slice's creation is timed, not its removal.
   std::int64_t timedInit() {
      const std::int64_t start = Samples::cpuNow();
      world_.moduleIs( 1 );
      const std::int64_t end = Samples::cpuNow();
      const std::int64_t ns = end - start - ( Samples::cpuNow() - end );
      world_.moduleDel( 1 );
      world_.requestsDrain();
      return ns;
   }
   std::int64_t timedWalk() {
      const std::int64_t start = Samples::cpuNow();
      copyConfigOut( world_ );
      const std::int64_t end = Samples::cpuNow();
      return end - start - ( Samples::cpuNow() - end );
   }

   AgentWorld world_;
   unsigned keys_;
   unsigned repeats_;
   Samples warm_;
   Samples walk_;
   Samples cold_;
};

void
BM_SliceInitScaling( benchmark::State & state ) {
   const std::size_t iterations = std::size_t( state.max_iterations );
   InitAgent small( 1000, iterations, 5 );
   InitAgent large( 100000, iterations, 1 );
   CacheEvictor evictor;
   TraceMode traceMode( false );
   for( auto _ : state ) {
      small.measure( evictor );
      large.measure( evictor );
   }
   small.report( state );
   large.report( state );
}

} // namespace

BENCHMARK( BM_SliceInitScaling )->Iterations( 9 )->Unit( benchmark::kMillisecond );

// Fixed iteration counts: each setup is built once, and the cold rows pay a
// cache eviction (tens of milliseconds, untimed) per iteration.
BENCHMARK( BM_SliceInit )
   ->ArgNames( { "keys", "cold", "traces" } )
   ->Args( { 10, 0, 0 } )
   ->Iterations( 20000 )
   ->Unit( benchmark::kMicrosecond );
BENCHMARK( BM_SliceInit )
   ->ArgNames( { "keys", "cold", "traces" } )
   ->Args( { 1000, 0, 0 } )
   ->Iterations( 500 )
   ->Unit( benchmark::kMicrosecond );
BENCHMARK( BM_SliceInit )
   ->ArgNames( { "keys", "cold", "traces" } )
   ->Args( { 100000, 0, 0 } )
   ->Iterations( 5 )
   ->Unit( benchmark::kMicrosecond );
BENCHMARK( BM_SliceInit )
   ->ArgNames( { "keys", "cold", "traces" } )
   ->Args( { 10, 1, 0 } )
   ->Args( { 1000, 1, 0 } )
   ->Iterations( 100 )
   ->Unit( benchmark::kMicrosecond );
BENCHMARK( BM_SliceInit )
   ->ArgNames( { "keys", "cold", "traces" } )
   ->Args( { 100000, 1, 0 } )
   ->Iterations( 5 )
   ->Unit( benchmark::kMicrosecond );
BENCHMARK( BM_SliceInit )
   ->ArgNames( { "keys", "cold", "traces" } )
   ->Args( { 10, 0, 1 } )
   ->Iterations( 2000 )
   ->Unit( benchmark::kMicrosecond );
BENCHMARK( BM_SliceInit )
   ->ArgNames( { "keys", "cold", "traces" } )
   ->Args( { 1000, 0, 1 } )
   ->Iterations( 20 )
   ->Unit( benchmark::kMicrosecond );
BENCHMARK( BM_SliceInit )
   ->ArgNames( { "keys", "cold", "traces" } )
   ->Args( { 100000, 0, 1 } )
   ->Iterations( 1 )
   ->Unit( benchmark::kMicrosecond );
BENCHMARK( BM_CfmConfigWalkFloor )
   ->ArgNames( { "keys", "cold" } )
   ->Args( { 1000, 0 } )
   ->Iterations( 2000 )
   ->Unit( benchmark::kMicrosecond );
BENCHMARK( BM_CfmConfigWalkFloor )
   ->ArgNames( { "keys", "cold" } )
   ->Args( { 100000, 0 } )
   ->Iterations( 20 )
   ->Unit( benchmark::kMicrosecond );
BENCHMARK( BM_CfmConfigWalkFloor )
   ->ArgNames( { "keys", "cold" } )
   ->Args( { 1000, 1 } )
   ->Iterations( 100 )
   ->Unit( benchmark::kMicrosecond );
BENCHMARK( BM_CfmConfigWalkFloor )
   ->ArgNames( { "keys", "cold" } )
   ->Args( { 100000, 1 } )
   ->Iterations( 5 )
   ->Unit( benchmark::kMicrosecond );

} // namespace Bench
