#include "Targets.h"

#include <cstdio>
#include <optional>

namespace Bench {

RowCollector::RowCollector( benchmark::BenchmarkReporter & display ) : display_( display ) {}

bool
RowCollector::ReportContext( const Context & context ) {
   return display_.ReportContext( context );
}

void
RowCollector::ReportRuns( const std::vector< Run > & runs ) {
   for( const Run & run : runs ) {
      if( run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0 ) {
         continue;
      }
      std::string name = run.run_name.function_name;
      if( !run.run_name.args.empty() ) {
         name += "/" + run.run_name.args;
      }
      Row row;
      row.cpuNs = run.cpu_accumulated_time * 1e9 / double( run.iterations );
      for( const auto & [ counterName, counter ] : run.counters ) {
         row.counters[ counterName ] = counter.value;
      }
      rows_[ name ] = row;
   }
   display_.ReportRuns( runs );
}

void
RowCollector::Finalize() {
   display_.Finalize();
}

namespace {

// One side of a comparison: a row's CPU time per iteration, or one of its
// counters, divided by a unit count (1 for a per-event figure, the key or
// member count for a per-key or per-member one).
struct Figure {
   const char * row;
   const char * counter; // null: the row's CPU time
   double units;
};

// numerator ÷ denominator, or (with no denominator) the numerator in its unit.
struct Comparison {
   const char * what;
   Figure numerator;
   std::optional< Figure > denominator;
   std::optional< double > limit; // none: shown for information
   const char * unit = " ns";     // of a figure that is no ratio
};

constexpr const char * ownTime = "plugin_ns";

const std::vector< Comparison > &
comparisons() {
   static const std::vector< Comparison > list{
      { "apply / direct SDK, traces off (side by side)",
        { "BM_ApplyVersusDirectSdk", "apply_ns", 1 },
        Figure{ "BM_ApplyVersusDirectSdk", "direct_ns", 1 },
        2.0 },
      { "apply / direct SDK, traces off (rows apart)",
        { "BM_PacketTracerApply/traces:0/cpu:1", nullptr, 1 },
        Figure{ "BM_DirectSdkApply/cpu:1", nullptr, 1 },
        std::nullopt },
      { "apply without CPU bit, traces off / direct SDK",
        { "BM_PacketTracerApply/traces:0/cpu:0", nullptr, 1 },
        Figure{ "BM_DirectSdkApply/cpu:0", nullptr, 1 },
        std::nullopt },
      { "withdraw, traces off / direct SDK",
        { "BM_PacketTracerWithdraw/traces:0/cpu:1", nullptr, 1 },
        Figure{ "BM_DirectSdkWithdraw/cpu:1", nullptr, 1 },
        std::nullopt },
      { "apply, traces on / direct SDK",
        { "BM_PacketTracerApply/traces:1/cpu:1", nullptr, 1 },
        Figure{ "BM_DirectSdkApply/cpu:1", nullptr, 1 },
        std::nullopt },
      { "CFM key change, 100,000 / 10 keys (side by side)",
        { "BM_CfmKeyChangeScaling", "e2e_ns_100000", 1 },
        Figure{ "BM_CfmKeyChangeScaling", "e2e_ns_10", 1 },
        1.5 },
      { "CFM key change, plug-in's own, 100,000 / 10 (side by side)",
        { "BM_CfmKeyChangeScaling", "plugin_ns_100000", 1 },
        Figure{ "BM_CfmKeyChangeScaling", "plugin_ns_10", 1 },
        std::nullopt },
      { "CFM key change, 100,000 / 10 keys (rows apart)",
        { "BM_CfmKeyChange/keys:100000/traces:0", nullptr, 1 },
        Figure{ "BM_CfmKeyChange/keys:10/traces:0", nullptr, 1 },
        std::nullopt },
      { "CFM key change, 1,000 / 10 keys",
        { "BM_CfmKeyChange/keys:1000/traces:0", nullptr, 1 },
        Figure{ "BM_CfmKeyChange/keys:10/traces:0", nullptr, 1 },
        std::nullopt },
      { "CFM key change, host alone (no plug-in), 100,000 / 10 keys",
        { "BM_CfmKeyChangeNoPlugin/keys:100000", nullptr, 1 },
        Figure{ "BM_CfmKeyChangeNoPlugin/keys:10", nullptr, 1 },
        std::nullopt },
      { "slice init per key, 100,000 / 1,000 keys (side by side)",
        { "BM_SliceInitScaling", "per_key_ns_100000", 1 },
        Figure{ "BM_SliceInitScaling", "per_key_ns_1000", 1 },
        1.3 },
      { "slice init, floor: reading the configuration alone",
        { "BM_SliceInitScaling", "walk_ns_100000", 1 },
        Figure{ "BM_SliceInitScaling", "walk_ns_1000", 1 },
        std::nullopt },
      { "slice init, the plug-in's work beyond the floor",
        { "BM_SliceInitScaling", "own_ns_100000", 1 },
        Figure{ "BM_SliceInitScaling", "own_ns_1000", 1 },
        std::nullopt },
      { "slice init per key from cold caches",
        { "BM_SliceInitScaling", "cold_ns_100000", 1 },
        Figure{ "BM_SliceInitScaling", "cold_ns_1000", 1 },
        std::nullopt },
      { "slice init per key, 100,000 / 1,000 keys (rows apart)",
        { "BM_SliceInit/keys:100000/cold:0/traces:0", nullptr, 100000 },
        Figure{ "BM_SliceInit/keys:1000/cold:0/traces:0", nullptr, 1000 },
        std::nullopt },
      { "slice init per key, 1,000 / 10 keys (rows apart)",
        { "BM_SliceInit/keys:1000/cold:0/traces:0", nullptr, 1000 },
        Figure{ "BM_SliceInit/keys:10/cold:0/traces:0", nullptr, 10 },
        std::nullopt },
      { "port-channel key per member, 64 / 8 members",
        { "BM_CfmPortChannelKey/members:64/traces:0", nullptr, 64 },
        Figure{ "BM_CfmPortChannelKey/members:8/traces:0", nullptr, 8 },
        std::nullopt },
      { "audit / programming, 100,000 CFM keys (side by side)",
        { "BM_AuditVersusProgramming", "audit_ns", 1 },
        Figure{ "BM_AuditVersusProgramming", "program_ns", 1 },
        std::nullopt },
      { "audit of 100,000 CFM keys over 100 ports, ms",
        { "BM_AuditVersusProgramming", "audit_ns", 1e6 },
        std::nullopt,
        100.0,
        " ms" },
      { "trace statement with its level off, ns", { "BM_TraceLevelOff", nullptr, 1 }, std::nullopt, 5.0 },
      { "empty loop, ns", { "BM_EmptyLoop", nullptr, 1 }, std::nullopt, std::nullopt },
   };
   return list;
}

std::optional< double >
valueOf( const Rows & rows, const Figure & figure ) {
   auto found = rows.find( figure.row );
   if( found == rows.end() ) {
      return std::nullopt;
   }
   if( !figure.counter ) {
      return found->second.cpuNs / figure.units;
   }
   auto counter = found->second.counters.find( figure.counter );
   if( counter == found->second.counters.end() ) {
      return std::nullopt;
   }
   return counter->second / figure.units;
}

} // namespace

int
reportTargets( const Rows & rows, std::ostream & out ) {
   int missed = 0;
   out << "\nRatios and targets (CPU time per iteration, or the plug-in's own median time, this run)\n";
   char line[ 256 ];
   std::snprintf( line, sizeof line, "%-60s %12s %10s  %s\n", "comparison", "measured", "target", "verdict" );
   out << line << std::string( 96, '-' ) << "\n";
   for( const Comparison & c : comparisons() ) {
      std::optional< double > value = valueOf( rows, c.numerator );
      if( value && c.denominator ) {
         const std::optional< double > bottom = valueOf( rows, *c.denominator );
         value = bottom && *bottom > 0 ? std::optional< double >( *value / *bottom ) : std::nullopt;
      }
      const bool ratio = c.denominator.has_value();
      const char * unit = ratio ? "x" : c.unit;
      char measured[ 32 ] = "not run";
      if( value ) {
         std::snprintf( measured, sizeof measured, "%.2f%s", *value, unit );
      }
      char target[ 32 ] = "";
      const char * verdict = "";
      if( c.limit ) {
         std::snprintf( target, sizeof target, "%s %.1f%s", ratio ? "<=" : "<", *c.limit, unit );
         const bool met = value && ( ratio ? *value <= *c.limit : *value < *c.limit );
         verdict = !value ? "NOT RUN" : met ? "met" : "MISSED";
         missed += value && !met ? 1 : 0;
      }
      std::snprintf( line, sizeof line, "%-60s %12s %10s  %s\n", c.what, measured, target, verdict );
      out << line;
   }
   return missed;
}

} // namespace Bench
