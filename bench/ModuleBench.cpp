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
//
// BM_ModuleAddRemoveTwoUnits: the same on a switch of two chip units whose
// clients hold ports on both, so that the new slice has work to do and the
// other slices have ports to leave alone. Modules 1 and 3 are listed, on
// units 0 and 1. Each of modules 1, 2 and 3 has 16 interfaces (ports 1 to 16
// of its unit) with CFM keys on VLANs 1 to 4, and port 17 of each is a member
// of Port-Channel1, which has a key as well; the packet tracer's completed
// apply (with the CPU bit) holds module 3's port 5 on unit 1. One iteration
// lists module 2 on unit 0 and removes it again: its slice's start walks
// every key of the switch and sets up its own ports (a source-trunk-map
// request each time a key or the membership covers one), while unit 0's CFM
// profile, held by module 1's ports, is not written again. `requests` is the
// requests posted per iteration; the row fails if any iteration writes the
// chip or posts another number of requests than the first.
#include "AgentWorld.h"
#include "Counters.h"
#include "HeapCounter.h"

#include "Pallet/Pallet.h"
#include "Quill/Clock.h"
#include "Shim/SimChip.h"

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

// The two-unit switch: which unit each module is on.
struct TwoUnitModule {
   unsigned modId;
   U16 unit;
};
constexpr TwoUnitModule twoUnitModules[] = { { 1, 0 }, { 2, 0 }, { 3, 1 } };
constexpr U16 twoUnitInterfacesPerModule = 16;
constexpr U16 twoUnitVlans = 4;
constexpr U16 twoUnitMemberPort = 17;
constexpr U16 twoUnitTracerPort = 5;
constexpr unsigned twoUnitTracerModule = 3;

std::string
twoUnitIntf( unsigned modId, U16 port ) {
   return "Ethernet" + std::to_string( modId ) + "/" + std::to_string( port );
}

// Everything but module 2 listed, the tracer's apply completed.
void
buildTwoUnitSwitch( AgentWorld & world ) {
   world.unitInfoIs( 0, 0x21 );
   world.unitInfoIs( 1, 0x22 );
   const Lumo::IntfId portChannel( "Port-Channel1" );
   StrataTypes::StrataPortList members;
   for( const TwoUnitModule & m : twoUnitModules ) {
      for( U16 p = 1; p <= twoUnitMemberPort; ++p ) {
         world.interfaceIs( twoUnitIntf( m.modId, p ), AgentWorld::port( p, U16( m.modId ), m.unit ) );
      }
      for( U16 p = 1; p <= twoUnitInterfacesPerModule; ++p ) {
         for( U16 vlan = 1; vlan <= twoUnitVlans; ++vlan ) {
            world.cfmKeyIs( CfmSw::IntfVlanTuple( Lumo::IntfId( twoUnitIntf( m.modId, p ) ), vlan ) );
         }
      }
      const StrataTypes::StrataPort member = AgentWorld::port( twoUnitMemberPort, U16( m.modId ), m.unit );
      members.insert( member );
      world.scsd()->strataPortToLag.set( member, portChannel );
   }
   world.scsd()->strataLagToPort.set( portChannel, members );
   world.cfmKeyIs( CfmSw::IntfVlanTuple( portChannel, 1 ) );
   world.moduleIs( 1, 0 );
   world.moduleIs( 3, 1 );
   world.start();

   const Lumo::IntfId tracerIntf( twoUnitIntf( twoUnitTracerModule, twoUnitTracerPort ) );
   world.request()->requestIdIs( PacketTracer::RequestId{ "bench", 1 } );
   world.request()->intfIdIs( tracerIntf );
   world.request()->enableIs( true );
   world.request()->cpuPktProfileEnableIs( true );
   world.request()->versionIs( world.request()->version() + 1 );
   Quill::System::advanceBy( world.slice( twoUnitTracerModule )->timeout() );
   world.requestsDrain();
}

void
BM_ModuleAddRemoveTwoUnits( benchmark::State & state ) {
   const bool traces = state.range( 0 ) != 0;
   AgentWorld world;
   buildTwoUnitSwitch( world );
   const auto listModule2 = [ & ] {
      world.moduleIs( benchModule, 0 );
      world.moduleDel( benchModule );
      const std::size_t posted = world.requestDir()->requests().size();
      world.requestsDrain();
      return posted;
   };
   // Once untimed: module 2's ports are set up, and unit 0's profile was
   // written by module 1's already.
   const std::size_t postedFirst = listModule2();
   Shim::SimChip & chip = Shim::simChip();
   chip.callCountsClear();

   TraceMode traceMode( traces );
   AllocationsPerIteration allocations;
   bool samePostsEachTime = true;
   for( auto _ : state ) {
      samePostsEachTime = listModule2() == postedFirst && samePostsEachTime;
   }
   allocations.report( state );
   reportTraceLines( state, traceMode.lines() );
   state.counters[ "requests" ] = double( postedFirst );
   const auto slice3 = world.slice( twoUnitTracerModule );
   if( postedFirst < std::size_t( twoUnitInterfacesPerModule ) || !samePostsEachTime ) {
      state.SkipWithError( "module 2's ports were not set up alike in every iteration" );
   } else if( chip.callCount( Shim::SimChip::Op::memWrite ) != 0 ) {
      state.SkipWithError( "a module appearing on unit 0 wrote the chip" );
   } else if( world.slice( benchModule ) || !slice3 || !slice3->srcTrunkBitmap()->isBitSet( twoUnitTracerPort ) ) {
      state.SkipWithError( "the slices do not follow the modules, or the tracer's port was let go" );
   }
}

} // namespace

BENCHMARK( BM_ModuleAddRemove )->ArgName( "traces" )->Arg( 0 )->Arg( 1 )->MinTime( 0.3 );
BENCHMARK( BM_ModuleAddRemoveTwoUnits )->ArgName( "traces" )->Arg( 0 )->Arg( 1 )->MinTime( 0.3 );

} // namespace Bench
