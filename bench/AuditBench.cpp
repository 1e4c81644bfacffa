// The simulator's audit against the programming it checks (configuration:
// CfmConfig.h).
//
// BM_AuditVersusProgramming: 100,000 CFM keys over 100 ports. Each iteration
// lists the module, whose slice programs the whole configuration (a claim and
// a source-trunk-map request per key, the profile written once); lets the
// agent's table manager carry the requests out (untimed: the agent's work);
// audits the world the programming left; and removes the module again
// (untimed). Both steps are timed in this thread's CPU time, side by side;
// the counters are medians:
//   program_ns  the slice's initialisation
//   audit_ns    the audit: the clients' intent derived from the state
//               database (every key read, each interface resolved once),
//               then every port's SOURCE_TRUNK_MAP entry and every unit's
//               profile entries compared with it
// The row fails unless every audit finds the programmed world clean.
#include "AgentWorld.h"
#include "CfmConfig.h"
#include "Samples.h"
#include "audit/Audit.h"

#include <benchmark/benchmark.h>

namespace Bench {

namespace {

constexpr unsigned auditedKeys = 100000;

void
BM_AuditVersusProgramming( benchmark::State & state ) {
   AgentWorld world;
   buildInterfaces( world );
   world.start(); // the root, with no module listed yet: no slice
   buildConfig( world, auditedKeys );
   Sim::SourceTrunkMapView sourceTrunkMap;
   Sim::WorldView view;
   view.scsd = world.scsd().ptr();
   view.request = world.request().ptr();
   view.status = world.status().ptr();
   view.cfmConfig = world.cfm().ptr();
   view.cfmSwitchedOn = true;
   view.agentRunning = true;
   view.chip = &Shim::simChip();
   view.sourceTrunkMap = &sourceTrunkMap;
   Samples program( std::size_t( state.max_iterations ) );
   Samples audit( std::size_t( state.max_iterations ) );
   TraceMode traceMode( false );
   bool clean = true;
   for( auto _ : state ) {
      std::int64_t start = Samples::cpuNow();
      world.moduleIs( 1 );
      program.add( Samples::cpuNow() - start );
      for( const StrataCentral::PortTabWriteRequest & request : world.requestDir()->requests() ) {
         sourceTrunkMap.units[ AgentWorld::unit ][ { request.key.modId.value(), request.key.port.value() } ] =
            request.value;
      }
      world.requestsDrain();
      start = Samples::cpuNow();
      const Sim::Audit result( view );
      audit.add( Samples::cpuNow() - start );
      clean = clean && result.clean() && result.pending().empty();
      world.moduleDel( 1 );
   }
   state.counters[ "program_ns" ] = program.median();
   state.counters[ "audit_ns" ] = audit.median();
   if( !clean ) {
      state.SkipWithError( "the audit found the programmed world unclean" );
   }
}

} // namespace

BENCHMARK( BM_AuditVersusProgramming )->Iterations( 9 )->Unit( benchmark::kMillisecond );

} // namespace Bench
