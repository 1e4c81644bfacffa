// Modules coming and going: the root makes a slice when a module is listed in
// strataModIdToUnit and drops it when the module goes.
//
// BM_ModuleAddRemove: one iteration lists module 2 and removes it again: the
// slice is created (inputs, subscriptions, two bitmaps, clock notifiee, its
// initialisation over an empty CFM configuration) and destroyed.
//
// The same row carries the memory of one slice, measured once before the
// timed loop with the module listed: what the framework's allocator tracks
// for the plug-in's objects (the slice, its clock notifiee, its two bitmaps),
// per type, and the heap bytes the listing added over all (the bitmaps'
// storage, subscription and collection entries; the allocator's own slabs
// are warmed first so that a fresh slab does not count).
#include "AgentWorld.h"
#include "Counters.h"
#include "HeapCounter.h"

#include "Pallet/Pallet.h"

#include <benchmark/benchmark.h>

#include <string>

namespace Bench {

namespace {

constexpr unsigned benchModule = 2;

std::size_t
palletLiveBytes( const std::string & typeName ) {
   const auto trackers = Pallet::trackers();
   auto found = trackers.find( typeName );
   return found == trackers.end() ? 0 : found->second.liveBytes;
}

std::size_t
palletLiveBytesAll() {
   std::size_t bytes = 0;
   for( const auto & [ name, tracker ] : Pallet::trackers() ) {
      bytes += tracker.liveBytes;
   }
   return bytes;
}

void
reportSliceMemory( benchmark::State & state, AgentWorld & world ) {
   // Warm the slabs and the collections once.
   world.moduleIs( benchModule );
   world.moduleDel( benchModule );

   const char * types[] = { Strata::StrataPacketTracerSliceSm::quillTypeName,
                            Strata::StrataPacketTracerSliceSm::QuillClock::quillTypeName,
                            Ferro::Bitmap::quillTypeName };
   const char * counterNames[] = { "slice_bytes", "clock_bytes", "bitmaps_bytes" };
   std::size_t before[ 3 ];
   for( int i = 0; i < 3; ++i ) {
      before[ i ] = palletLiveBytes( types[ i ] );
   }
   const std::size_t palletBefore = palletLiveBytesAll();
   std::int64_t heapDelta = 0;
   {
      HeapByteTracking tracking;
      const std::int64_t heapBefore = heapCounts().liveBytes;
      world.moduleIs( benchModule );
      heapDelta = heapCounts().liveBytes - heapBefore;
   }
   for( int i = 0; i < 3; ++i ) {
      state.counters[ counterNames[ i ] ] = double( palletLiveBytes( types[ i ] ) - before[ i ] );
   }
   state.counters[ "pallet_bytes" ] = double( palletLiveBytesAll() - palletBefore );
   state.counters[ "heap_bytes" ] = double( heapDelta );
   world.moduleDel( benchModule );
}

void
BM_ModuleAddRemove( benchmark::State & state ) {
   const bool traces = state.range( 0 ) != 0;
   AgentWorld world;
   world.unitInfoIs();
   world.moduleIs( 1 );
   world.start();
   reportSliceMemory( state, world );

   TraceMode traceMode( traces );
   AllocationsPerIteration allocations;
   for( auto _ : state ) {
      world.moduleIs( benchModule );
      world.moduleDel( benchModule );
   }
   allocations.report( state );
   reportTraceLines( state, traceMode.lines() );
   if( world.slice( benchModule ) || !world.slice( 1 ) ) {
      state.SkipWithError( "the root does not follow the modules" );
   }
}

} // namespace

BENCHMARK( BM_ModuleAddRemove )->ArgName( "traces" )->Arg( 0 )->Arg( 1 )->MinTime( 0.3 );

} // namespace Bench
