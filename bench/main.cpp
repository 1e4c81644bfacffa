// strata_bench: the benchmarks' own table (or JSON with
// --benchmark_format=json), then the ratios the targets are set on. The
// ratio table goes to standard output after the console table, and to
// standard error when another format is asked for, so that the JSON on
// standard output stays one document.
#include "Targets.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <iostream>

int
main( int argc, char ** argv ) {
   bool consoleFormat = true;
   for( int i = 1; i < argc; ++i ) {
      const char * format = "--benchmark_format=";
      if( std::strncmp( argv[ i ], format, std::strlen( format ) ) == 0 ) {
         consoleFormat = std::strcmp( argv[ i ] + std::strlen( format ), "console" ) == 0;
      }
   }
   benchmark::Initialize( &argc, argv );
   if( benchmark::ReportUnrecognizedArguments( argc, argv ) ) {
      return 1;
   }
   Bench::RowCollector collector( *benchmark::CreateDefaultDisplayReporter() );
   benchmark::RunSpecifiedBenchmarks( &collector );
   benchmark::Shutdown();
   if( !collector.rows().empty() ) {
      Bench::reportTargets( collector.rows(), consoleFormat ? std::cout : std::cerr );
   }
   return 0;
}
