// libFuzzer target: arbitrary text as a scenario file, through the
// simulator's lexer, value readers and host-side commands (see
// ScenarioInput.h for why the plug-in stays unloaded). A line may be
// malformed or a check may fail, but the run must end with one of the
// simulator's exit statuses and the message that goes with it.
#include "KeptInput.h"
#include "ScenarioInput.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int
LLVMFuzzerTestOneInput( const std::uint8_t * data, std::size_t size ) {
   const FuzzCheck::ScenarioOutcome outcome =
      FuzzCheck::runScenarioText( std::string_view( reinterpret_cast< const char * >( data ), size ) );
   const std::string problem = FuzzCheck::scenarioOutcomeProblem( outcome );
   if( !problem.empty() ) {
      std::fprintf( stderr,
                    "scenario reader: %s\n---- standard output ----\n%s\n"
                    "---- standard error ----\n%s\n",
                    problem.c_str(), outcome.out.c_str(), outcome.err.c_str() );
      std::abort();
   }
   return 0;
}

// A malformed line ends the run with status 2, and says why on standard error.
std::string
FuzzCheck::keptInputRefusal( std::string_view input ) {
   const ScenarioOutcome outcome = runScenarioText( input );
   if( outcome.exitStatus != 2 ) {
      return {};
   }
   std::string why = outcome.err;
   while( why.ends_with( '\n' ) ) {
      why.pop_back();
   }
   return why;
}
