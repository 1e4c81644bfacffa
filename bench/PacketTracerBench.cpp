// The packet tracer's request road, end to end, against the bare SDK
// sequence it is built around.
//
// BM_PacketTracerApply / BM_PacketTracerWithdraw: the packet tracer bumps the
// request's `version`; the slice's reactor runs the handler (PORT_TAB read
// and copy for an apply, the LPORT_TAB read-modify-write, the source-trunk-map
// request, the CPU_PKT_PROFILE_2 bit when asked), then the host advances
// virtual time and the slice's clock publishes the completion in the status.
// One iteration is one whole request, from the version change to the status
// write.
//
// BM_DirectSdkApply / BM_DirectSdkWithdraw: the floor. The very SDK calls one
// request makes, on the same simulated chip, through the same shim and with
// the same checked-call discipline (access hook, interpreter and activity
// locks given up and retaken around every memory and register call), and
// nothing else: no plug-in, no framework, no trace statement of the plug-in's.
// Identifiers are fetched once, as a real SDK's are compile-time constants;
// entry buffers are on the stack.
//
// BM_ApplyVersusDirectSdk: an apply and the direct sequence, alternately in
// one loop (the overhead target is checked on it).
#include "AgentWorld.h"
#include "Counters.h"
#include "Samples.h"

#include "LportTableFields.h"
#include "PluginTrace.h"
#include "Quill/Clock.h"
#include "Shim/CheckedCall.h"
#include "Shim/SimChip.h"

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

namespace Bench {

namespace {

constexpr U16 ingressPortNumber = 7;
constexpr const char * ingressIntf = "Ethernet7";
// The tracer's LPORT profile index, the slice's default.
constexpr int tracerProfileIdx = 5;

// A PORT_TAB entry worth copying: a mix of set and clear flags and a VLAN.
void
presetIngressPortTab() {
   Shim::SimChip & chip = Shim::simChip();
   const Shim::soc_mem_t portTab = chip.PORT_TABm();
   for( const char * field :
        { "vfpEnable", "v4L3Enable", "v6L3Enable", "trustIncomingVid", "filterEnable", "enIfilter", "mplsEnable" } ) {
      chip.entryFieldIs( AgentWorld::unit, portTab, ingressPortNumber, field, 1 );
   }
   chip.entryFieldIs( AgentWorld::unit, portTab, ingressPortNumber, "portVid", 100 );
   chip.entryFieldIs( AgentWorld::unit, portTab, ingressPortNumber, "outerTpidEnable", 1 );
}

// One module, one interface, the request's payload set; the agent started.
void
buildRequestWorld( AgentWorld & world, bool enable, bool cpuPktProfileEnable ) {
   world.unitInfoIs();
   world.interfaceIs( ingressIntf, AgentWorld::port( ingressPortNumber ) );
   world.moduleIs( 1 );
   presetIngressPortTab();
   world.request()->requestIdIs( PacketTracer::RequestId{ "bench", 1 } );
   world.request()->intfIdIs( Lumo::IntfId( ingressIntf ) );
   world.request()->enableIs( enable );
   world.request()->cpuPktProfileEnableIs( cpuPktProfileEnable );
   world.start();
}

// The whole request: version change, handling, completion.
void
runRequests( benchmark::State & state, bool enable ) {
   const bool traces = state.range( 0 ) != 0;
   const bool cpuPktProfileEnable = state.range( 1 ) != 0;
   AgentWorld world;
   buildRequestWorld( world, enable, cpuPktProfileEnable );
   const Quill::Seconds completionDelay = enable ? world.slice( 1 )->timeout() : 0.0;
   const auto & request = world.request();
   const U32 statusVersionBefore = world.status()->version();

   TraceMode traceMode( traces );
   AllocationsPerIteration allocations;
   for( auto _ : state ) {
      request->versionIs( request->version() + 1 );
      Quill::System::advanceBy( completionDelay );
      world.requestsDrain();
   }
   allocations.report( state );
   reportTraceLines( state, traceMode.lines() );
   if( world.status()->version() - statusVersionBefore != state.iterations() ) {
      state.SkipWithError( "not every request completed" );
   }
}

void
BM_PacketTracerApply( benchmark::State & state ) {
   runRequests( state, true );
}

void
BM_PacketTracerWithdraw( benchmark::State & state ) {
   runRequests( state, false );
}

// --------------------------------------------------------------- the floor

// A setting carried from PORT_TAB to LPORT_TAB. The list is the plug-in's own
// member table, so that the floor copies exactly the settings the plug-in
// copies, in the same order, whatever the table holds.
struct CopiedField {
   Shim::soc_field_t field;
   bool flag; // flags are written as 0 or 1, numbers as read
};

std::vector< CopiedField >
copiedFields( Shim::Sdk & sdk ) {
   std::vector< CopiedField > copied;
   for( const Strata::LportTableFields::Member & member : Strata::LportTableFields::members() ) {
      if( member.field ) {
         copied.push_back( { ( sdk.*member.field )(), member.flag != nullptr } );
      }
   }
   return copied;
}

struct DirectSdk {
   Shim::Sdk & sdk = *Shim::sdk_;
   const Shim::soc_mem_t portTab = sdk.PORT_TABm();
   const Shim::soc_mem_t lportTab = sdk.LPORT_TABm();
   const Shim::soc_reg_t cpuPktProfile2 = sdk.CPU_PKT_PROFILE_2r();
   const Shim::soc_field_t cpuPktProfileBitmap = sdk.CPU_PKT_PROFILE_BITMAPf();
   const int blockAny = sdk.MEM_BLOCK_ANY();
   const int blockAll = sdk.MEM_BLOCK_ALL();
   const Shim::soc_port_t anyPort = sdk.REG_PORT_ANY();
   const std::vector< CopiedField > copied = copiedFields( sdk );

   static Shim::CallSite site( int line, const char * callText ) {
      return Shim::CallSite{ Strata::apiStrataTraceHandle(), "/bench/DirectSdk", line, "directSdk", callText };
   }

   // The settings the caller holds values for, one per copied field.
   std::vector< U32 > values() const { return std::vector< U32 >( copied.size() ); }

   // PORT_TAB of the ingress port, field by field.
   void readPortTab( int unit, int port, std::vector< U32 > & values ) {
      std::array< U32, Shim::SimChip::entryWordsMax > entry{};
      Shim::checkedCall( site( __LINE__, "soc_mem_read( PORT_TABm )" ),
                         [ & ] { return sdk.soc_mem_read( unit, portTab, blockAny, port, entry.data() ); } );
      for( std::size_t i = 0; i < copied.size(); ++i ) {
         const U32 value = sdk.soc_mem_field32_get( unit, portTab, entry.data(), copied[ i ].field );
         values[ i ] = copied[ i ].flag ? U32( value != 0 ) : value;
      }
   }

   // LPORT_TAB read-modify-write of the copied fields.
   void writeLportTab( int unit, const std::vector< U32 > & values ) {
      std::array< U32, Shim::SimChip::entryWordsMax > entry{};
      Shim::checkedCall( site( __LINE__, "soc_mem_read( LPORT_TABm )" ), [ & ] {
         return sdk.soc_mem_read( unit, lportTab, blockAny, tracerProfileIdx, entry.data() );
      } );
      for( std::size_t i = 0; i < copied.size(); ++i ) {
         sdk.soc_mem_field32_set( unit, lportTab, entry.data(), copied[ i ].field, values[ i ] );
      }
      Shim::checkedCall( site( __LINE__, "soc_mem_write( LPORT_TABm )" ), [ & ] {
         return sdk.soc_mem_write( unit, lportTab, blockAll, tracerProfileIdx, entry.data() );
      } );
   }

   // CPU_PKT_PROFILE_2 bit 2 set or cleared, unchecked as the agent does.
   void flipCpuBit( int unit, bool set ) {
      U32 reg = 0;
      Shim::uncheckedCall( site( __LINE__, "soc_reg32_get" ),
                           [ & ] { sdk.soc_reg32_get( unit, cpuPktProfile2, anyPort, 0, &reg ); } );
      sdk.soc_reg_field_set( unit, cpuPktProfile2, &reg, cpuPktProfileBitmap, set ? ( reg | 0x4u ) : ( reg & 0xFBu ) );
      Shim::uncheckedCall( site( __LINE__, "soc_reg32_set" ),
                           [ & ] { sdk.soc_reg32_set( unit, cpuPktProfile2, anyPort, 0, reg ); } );
   }
};

void
runDirect( benchmark::State & state, bool enable ) {
   const bool cpuPktProfileEnable = state.range( 0 ) != 0;
   // The same world, so the chip holds the same entries; the plug-in is not
   // started and plays no part.
   AgentWorld world;
   presetIngressPortTab();
   TraceMode traceMode( false );
   DirectSdk direct;
   // Made once: a withdrawal writes it as made, all zero; an apply fills it.
   std::vector< U32 > values = direct.values();
   AllocationsPerIteration allocations;
   for( auto _ : state ) {
      if( enable ) {
         direct.readPortTab( AgentWorld::unit, ingressPortNumber, values );
      }
      direct.writeLportTab( AgentWorld::unit, values );
      if( cpuPktProfileEnable ) {
         direct.flipCpuBit( AgentWorld::unit, enable );
      }
      benchmark::DoNotOptimize( values );
   }
   allocations.report( state );
}

void
BM_DirectSdkApply( benchmark::State & state ) {
   runDirect( state, true );
}

void
BM_DirectSdkWithdraw( benchmark::State & state ) {
   runDirect( state, false );
}

// The two sides of the overhead ratio side by side: every iteration makes one
// whole apply through the plug-in and then the direct SDK sequence of an
// apply, each timed on its own, so that a change of load on a shared machine
// meets both alike. Counters are medians over the iterations: apply_ns (the
// version change to the status write) and direct_ns (the SDK calls alone).
void
BM_ApplyVersusDirectSdk( benchmark::State & state ) {
   AgentWorld world;
   buildRequestWorld( world, true, true );
   const Quill::Seconds completionDelay = world.slice( 1 )->timeout();
   const auto & request = world.request();
   TraceMode traceMode( false );
   DirectSdk direct;
   std::vector< U32 > values = direct.values();
   const std::size_t iterations = std::size_t( state.max_iterations );
   Samples applySamples( iterations );
   Samples directSamples( iterations );
   for( auto _ : state ) {
      std::int64_t start = Samples::now();
      request->versionIs( request->version() + 1 );
      Quill::System::advanceBy( completionDelay );
      std::int64_t end = Samples::now();
      applySamples.add( end - start - ( Samples::now() - end ) );
      world.requestsDrain();

      start = Samples::now();
      direct.readPortTab( AgentWorld::unit, ingressPortNumber, values );
      direct.writeLportTab( AgentWorld::unit, values );
      direct.flipCpuBit( AgentWorld::unit, true );
      end = Samples::now();
      directSamples.add( end - start - ( Samples::now() - end ) );
      benchmark::DoNotOptimize( values );
   }
   state.counters[ "apply_ns" ] = applySamples.median();
   state.counters[ "direct_ns" ] = directSamples.median();
}

} // namespace

BENCHMARK( BM_ApplyVersusDirectSdk )->MinTime( 0.5 );
BENCHMARK( BM_PacketTracerApply )
   ->ArgNames( { "traces", "cpu" } )
   ->ArgsProduct( { { 0, 1 }, { 0, 1 } } )
   ->MinTime( 0.3 );
BENCHMARK( BM_PacketTracerWithdraw )
   ->ArgNames( { "traces", "cpu" } )
   ->ArgsProduct( { { 0, 1 }, { 1 } } )
   ->MinTime( 0.3 );
BENCHMARK( BM_DirectSdkApply )->ArgName( "cpu" )->Arg( 0 )->Arg( 1 )->MinTime( 0.3 );
BENCHMARK( BM_DirectSdkWithdraw )->ArgName( "cpu" )->Arg( 1 )->MinTime( 0.3 );

} // namespace Bench
