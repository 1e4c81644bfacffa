#include "ScenarioInput.h"

#include "Flagpole/Toggle.h"
#include "Quill/Clock.h"
#include "Shim/SimChip.h"
#include "Simulator.h"
#include "session/TraceCapture.h"

#include <regex>
#include <sstream>

namespace FuzzCheck {

namespace {

// A directory entry below /dev/null cannot exist, so loading always fails.
constexpr const char * unloadablePlugin = "/dev/null/libStrataPacketTracerSlice.so";

std::string_view
lastLine( std::string_view text ) {
   while( text.ends_with( '\n' ) ) {
      text.remove_suffix( 1 );
   }
   return text.substr( text.rfind( '\n' ) + 1 ); // npos + 1: the whole text
}

} // namespace

ScenarioOutcome
runScenarioText( std::string_view text ) {
   // Whatever the previous run left in the process-wide host state goes, so
   // that one input's outcome does not depend on the inputs before it.
   Shim::simChip().reset();
   Flagpole::togglesClear();
   Quill::System::currentTimeIs( 0 );
   Sim::traceAllLevelsOn();

   std::ostringstream out;
   std::ostringstream err;
   int exitStatus = 0;
   {
      Sim::Simulator simulator( out, err, true, unloadablePlugin );
      simulator.runText( std::string( text ), scenarioName );
      simulator.runner().finish();
      exitStatus = simulator.runner().exitStatus();
   }
   return { exitStatus, out.str(), err.str() };
}

std::string
scenarioOutcomeProblem( const ScenarioOutcome & outcome ) {
   // std::regex recurses once per character, and a line can be as long as a
   // fuzzed one: a tally is short, and a located message is known by its start.
   static const std::regex failedTally( "[0-9]+ passed, 0*[1-9][0-9]* failed" );
   static const std::regex located( "fuzz\\.scn:[0-9]+: ." );
   const std::string lastOut( lastLine( outcome.out ) );
   const std::string lastErr( lastLine( outcome.err ) );
   const bool anyFailed = lastOut.size() < 64 && std::regex_match( lastOut, failedTally );
   switch( outcome.exitStatus ) {
   case 0: return anyFailed ? "exit status 0 after a failed check: " + lastOut : "";
   case 1: return anyFailed ? "" : "exit status 1 without a tally of failed checks at the end";
   case 2:
      return std::regex_search( lastErr.substr( 0, 64 ), located, std::regex_constants::match_continuous )
                ? ""
                : "exit status 2 without \"" + std::string( scenarioName ) +
                     ":LINE: ...\" last on standard error, got: " + lastErr;
   default: return "exit status " + std::to_string( outcome.exitStatus ) + " is none of 0, 1 and 2";
   }
}

} // namespace FuzzCheck
