// The performance targets, checked on the figures of one run.
//
// Each target is a ratio of two rows of the same run (or, for the trace
// statement, one row against an absolute limit), so that a slower or busier
// machine moves both sides together. A row is named by its function and
// arguments ("BM_CfmKeyChange/keys:10/traces:0"), without the min_time or
// iterations suffixes the library adds. CPU time per iteration is used
// throughout: on a shared machine it is less disturbed than wall time.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace Bench {

// One measured row: CPU nanoseconds per iteration and the row's counters.
struct Row {
   double cpuNs = 0;
   std::map< std::string, double > counters;
};

using Rows = std::map< std::string, Row >;

// Forwards every report to the display reporter chosen by --benchmark_format
// and keeps the plain (non-aggregate, error-free) rows for the check.
class RowCollector : public benchmark::BenchmarkReporter {
 public:
   // `display` is not owned (the library keeps its default reporter).
   explicit RowCollector( benchmark::BenchmarkReporter & display );
   bool ReportContext( const Context & context ) override;
   void ReportRuns( const std::vector< Run > & runs ) override;
   void Finalize() override;
   const Rows & rows() const noexcept { return rows_; }

 private:
   benchmark::BenchmarkReporter & display_;
   Rows rows_;
};

// Writes the ratio table: each comparison with its figures, the limit for a
// target and whether it is met. Returns how many targets were missed (a
// target whose rows did not run, as with a filter, is reported as not run).
int reportTargets( const Rows & rows, std::ostream & out );

} // namespace Bench
