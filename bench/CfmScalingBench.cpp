// The CFM key change at 10 and at 100,000 keys, measured side by side.
//
// BM_CfmKeyChange gives each size a row of its own, run one after the other;
// on a shared machine the load can change between two rows and move their
// ratio by more than the target allows. Here both configurations live at
// once, in two agents, and every iteration makes the same change on each, one
// right after the other: whatever the machine does affects both sides alike.
// The counters are medians over the iterations:
//   e2e_ns_N     the whole change on the agent with N keys (add and remove,
//                host and plug-in), from the host's first update to its
//                last return;
//   plugin_ns_N  the plug-in's own reactions to the same two changes.
// The target on the key change is checked on these counters.
#include "AgentWorld.h"
#include "CfmConfig.h"
#include "ReactorStopwatch.h"
#include "Samples.h"

#include <benchmark/benchmark.h>

#include <string>

namespace Bench {

namespace {

constexpr unsigned smallConfig = 10;
constexpr unsigned largeConfig = 100000;

// One agent with a configuration of `keys` keys, whose plug-in is timed.
class KeyChangeAgent {
 public:
   KeyChangeAgent( unsigned keys, std::size_t iterations )
         : plugin_( world_.cfm()->publisher(), iterations ), endToEnd_( iterations ) {
      buildInterfaces( world_ );
      buildConfig( world_, keys );
      world_.moduleIs( 1 );
      plugin_.open();
      world_.start();
      plugin_.close();
      world_.requestsDrain();
   }

   // One key of the event interface added and removed again.
   void change() {
      const std::int64_t start = Samples::now();
      world_.cfmKeyIs( eventKey_ );
      world_.cfmKeyDel( eventKey_ );
      const std::int64_t end = Samples::now();
      endToEnd_.add( end - start - ( Samples::now() - end ) );
      world_.requestsDrain();
      plugin_.endIteration();
   }

   void report( benchmark::State & state, unsigned keys ) const {
      state.counters[ "e2e_ns_" + std::to_string( keys ) ] = endToEnd_.median();
      state.counters[ "plugin_ns_" + std::to_string( keys ) ] = plugin_.medianNs();
   }

 private:
   AgentWorld world_;
   ReactorStopwatch plugin_;
   Samples endToEnd_;
   const CfmSw::IntfVlanTuple eventKey_{ Lumo::IntfId( eventIntf ), 1 };
};

void
BM_CfmKeyChangeScaling( benchmark::State & state ) {
   const std::size_t iterations = std::size_t( state.max_iterations );
   KeyChangeAgent small( smallConfig, iterations );
   KeyChangeAgent large( largeConfig, iterations );
   TraceMode traceMode( false );
   for( auto _ : state ) {
      small.change();
      large.change();
   }
   small.report( state, smallConfig );
   large.report( state, largeConfig );
}

} // namespace

BENCHMARK( BM_CfmKeyChangeScaling )->Iterations( 300000 );

} // namespace Bench
