// CFM events on a running slice, against the size of the configuration
// (configurations: CfmConfig.h).
//
// BM_CfmKeyChange: with the slice initialised over N keys, one key of another
// plain interface (Ethernet120, port 120) is added and removed again. One
// iteration is both events: the port set up (claim, source-trunk-map
// request) and taken down. The CFM profile is held by the configuration's
// ports throughout, so neither event writes the chip. The row's time is the
// whole change as the host makes it (its collection updated, its
// subscribers called); plugin_ns is the plug-in's own reaction alone.
//
// BM_CfmKeyChangeNoPlugin: the same changes with the plug-in not running,
// which is the host's share.
//
// BM_CfmPortChannelKey: a key of a port-channel with M members is added and
// removed. Each member has an interface of its own, so its membership covers
// it already: the key's arrival sets every member up again (a request each)
// and its removal keeps every member (CFM still covers it). Ethernet1 VLAN 1
// holds the profile, so the figures are the members' own cost.
//
// BM_LagMembershipChange: a port joins a port-channel and leaves it again
// (strataPortToLag), which sets the port up for CFM and takes it down.
//
// Each setup is built once per run: the rows with large setups run a fixed
// number of iterations, so that the library calls them only once.
#include "AgentWorld.h"
#include "CfmConfig.h"
#include "Counters.h"
#include "HeapCounter.h"
#include "ReactorStopwatch.h"

#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

namespace Bench {

namespace {

constexpr U16 lagJoinerPortNumber = 80;
constexpr U16 firstLagMemberPortNumber = 10;

// The timed loop of BM_CfmKeyChange and BM_CfmKeyChangeNoPlugin, one loop for
// both so that their difference is the plug-in and nothing else: the event
// interface's key added and removed, with the allocations and the plug-in's
// own time reported per iteration.
void
timeKeyAddAndRemove( benchmark::State & state, AgentWorld & world, ReactorStopwatch & plugin ) {
   const CfmSw::IntfVlanTuple eventKey( Lumo::IntfId( eventIntf ), 1 );
   AllocationsPerIteration allocations;
   for( auto _ : state ) {
      world.cfmKeyIs( eventKey );
      world.cfmKeyDel( eventKey );
      world.requestsDrain();
      plugin.endIteration();
   }
   allocations.report( state );
   plugin.report( state, "plugin_ns" );
}

void
BM_CfmKeyChange( benchmark::State & state ) {
   const unsigned keys = unsigned( state.range( 0 ) );
   const bool traces = state.range( 1 ) != 0;
   AgentWorld world;
   buildInterfaces( world );
   buildConfig( world, keys );
   world.moduleIs( 1 );
   ReactorStopwatch plugin( world.cfm()->publisher(), std::size_t( state.max_iterations ) );
   plugin.open();
   world.start();
   plugin.close();
   world.requestsDrain();

   TraceMode traceMode( traces );
   timeKeyAddAndRemove( state, world, plugin );
   reportTraceLines( state, traceMode.lines() );
   if( world.slice( 1 )->srcTrunkBitmapCfm()->isBitSet( eventPortNumber ) ) {
      state.SkipWithError( "the event port is still held by CFM" );
   }
}

// The host's own share of BM_CfmKeyChange: the same configuration and the
// same two changes, with the plug-in not running: the key appended to the
// configuration's array and its index, then removed again, and both changes
// published.
void
BM_CfmKeyChangeNoPlugin( benchmark::State & state ) {
   const unsigned keys = unsigned( state.range( 0 ) );
   AgentWorld world;
   buildInterfaces( world );
   buildConfig( world, keys );
   world.moduleIs( 1 );
   // An empty bracket: what the stopwatch reads when no plug-in runs (0 if
   // its calibration holds).
   ReactorStopwatch plugin( world.cfm()->publisher(), std::size_t( state.max_iterations ) );
   plugin.open();
   plugin.close();
   timeKeyAddAndRemove( state, world, plugin );
}

void
BM_CfmPortChannelKey( benchmark::State & state ) {
   const unsigned members = unsigned( state.range( 0 ) );
   const bool traces = state.range( 1 ) != 0;
   AgentWorld world;
   buildInterfaces( world );
   const Lumo::IntfId portChannel( "Port-Channel1" );
   StrataTypes::StrataPortList memberPorts;
   for( unsigned m = 0; m < members; ++m ) {
      const StrataTypes::StrataPort member = AgentWorld::port( U16( firstLagMemberPortNumber + m ) );
      memberPorts.insert( member );
      world.scsd()->strataPortToLag.set( member, portChannel );
   }
   world.scsd()->strataLagToPort.set( portChannel, memberPorts );
   world.cfmKeyIs( configKey( 0 ) );
   world.moduleIs( 1 );
   ReactorStopwatch plugin( world.cfm()->publisher(), std::size_t( state.max_iterations ) );
   plugin.open();
   world.start();
   plugin.close();
   world.requestsDrain();
   const CfmSw::IntfVlanTuple eventKey( portChannel, 1 );

   TraceMode traceMode( traces );
   AllocationsPerIteration allocations;
   std::size_t requestsPosted = 0;
   for( auto _ : state ) {
      world.cfmKeyIs( eventKey );
      world.cfmKeyDel( eventKey );
      requestsPosted += world.requestDir()->requests().size();
      world.requestsDrain();
      plugin.endIteration();
   }
   allocations.report( state );
   plugin.report( state, "plugin_ns" );
   reportTraceLines( state, traceMode.lines() );
   state.counters[ "per_member" ] = benchmark::Counter( double( members ) * double( state.iterations() ),
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert );
   bool membersKept = true;
   for( const StrataTypes::StrataPort & member : memberPorts ) {
      membersKept = membersKept && world.slice( 1 )->srcTrunkBitmapCfm()->isBitSet( member.port );
   }
   if( requestsPosted != std::size_t( members ) * std::size_t( state.iterations() ) || !membersKept ) {
      state.SkipWithError( "not every member was set up once and kept" );
   }
}

void
BM_LagMembershipChange( benchmark::State & state ) {
   const bool traces = state.range( 0 ) != 0;
   AgentWorld world;
   buildInterfaces( world );
   world.cfmKeyIs( configKey( 0 ) );
   world.moduleIs( 1 );
   // The bracket holds the root's reactor and the slice's, both the plug-in's.
   ReactorStopwatch plugin( world.scsd()->publisher(), std::size_t( state.max_iterations ) );
   plugin.open();
   world.start();
   plugin.close();
   world.requestsDrain();
   const StrataTypes::StrataPort joiner = AgentWorld::port( lagJoinerPortNumber );
   const Lumo::IntfId portChannel( "Port-Channel2" );

   TraceMode traceMode( traces );
   AllocationsPerIteration allocations;
   std::size_t requestsPosted = 0;
   for( auto _ : state ) {
      world.scsd()->strataPortToLag.set( joiner, portChannel );
      world.scsd()->strataPortToLag.erase( joiner );
      requestsPosted += world.requestDir()->requests().size();
      world.requestsDrain();
      plugin.endIteration();
   }
   allocations.report( state );
   plugin.report( state, "plugin_ns" );
   reportTraceLines( state, traceMode.lines() );
   if( requestsPosted != 2 * std::size_t( state.iterations() ) ) {
      state.SkipWithError( "the port was not set up and taken down" );
   }
}

} // namespace

// Iteration counts keep every row near a quarter of a second on a 2020s
// server core, with each setup built once.
BENCHMARK( BM_CfmKeyChange )
   ->ArgNames( { "keys", "traces" } )
   ->Args( { 10, 0 } )
   ->Args( { 1000, 0 } )
   ->Args( { 100000, 0 } )
   ->Iterations( 400000 );
BENCHMARK( BM_CfmKeyChange )
   ->ArgNames( { "keys", "traces" } )
   ->Args( { 10, 1 } )
   ->Args( { 1000, 1 } )
   ->Args( { 100000, 1 } )
   ->Iterations( 20000 );
BENCHMARK( BM_CfmKeyChangeNoPlugin )->ArgName( "keys" )->Arg( 10 )->Arg( 1000 )->Arg( 100000 )->Iterations( 400000 );
BENCHMARK( BM_CfmPortChannelKey )
   ->ArgNames( { "members", "traces" } )
   ->ArgsProduct( { { 1, 8, 64 }, { 0, 1 } } )
   ->MinTime( 0.3 );
BENCHMARK( BM_LagMembershipChange )->ArgName( "traces" )->Arg( 0 )->Arg( 1 )->MinTime( 0.3 );

} // namespace Bench
