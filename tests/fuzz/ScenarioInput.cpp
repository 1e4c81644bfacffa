#include "ScenarioInput.h"

#include "Flagpole/Toggle.h"
#include "Quill/Clock.h"
#include "Simulator.h"
#include "Shim/SimChip.h"
#include "TraceCapture.h"

#include <algorithm>
#include <optional>
#include <sstream>

namespace FuzzCheck {

namespace {

// A directory entry below /dev/null cannot exist, so loading always fails.
constexpr const char * unloadablePlugin = "/dev/null/libStrataPacketTracerSlice.so";

std::string
lastLine( const std::string & text ) {
   std::string trimmed = text;
   while( !trimmed.empty() && trimmed.back() == '\n' ) {
      trimmed.pop_back();
   }
   const std::size_t start = trimmed.rfind( '\n' );
   return start == std::string::npos ? trimmed : trimmed.substr( start + 1 );
}

bool
allDigits( std::string_view text ) {
   return !text.empty() &&
          std::all_of( text.begin(), text.end(), []( char c ) { return c >= '0' && c <= '9'; } );
}

// "NAME:LINE: WHAT" with WHAT not empty. Matched by hand: the text can be as
// long as a fuzzed line, and std::regex recurses once per character.
bool
isLocated( std::string_view text ) {
   const std::string prefix = std::string( scenarioName ) + ":";
   if( !text.starts_with( prefix ) ) {
      return false;
   }
   text.remove_prefix( prefix.size() );
   const std::size_t colon = text.find( ": " );
   return colon != std::string_view::npos && allDigits( text.substr( 0, colon ) ) &&
          text.size() > colon + 2;
}

// M of a final "N passed, M failed", or nothing when the line is not one.
std::optional< std::size_t >
failedInTally( std::string_view text ) {
   const std::size_t passedAt = text.find( " passed, " );
   if( passedAt == std::string_view::npos || !allDigits( text.substr( 0, passedAt ) ) ||
       !text.ends_with( " failed" ) || text.size() < passedAt + 9 + 7 ) {
      return std::nullopt;
   }
   const std::string_view failed =
      text.substr( passedAt + 9, text.size() - 7 - ( passedAt + 9 ) );
   if( !allDigits( failed ) || failed.size() > 18 ) {
      return std::nullopt;
   }
   return std::size_t( std::stoull( std::string( failed ) ) );
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
   ScenarioOutcome outcome;
   {
      Sim::Simulator simulator( out, err, true, unloadablePlugin );
      simulator.runText( std::string( text ), scenarioName );
      simulator.runner().finish();
      outcome.exitStatus = simulator.runner().exitStatus();
   }
   outcome.out = out.str();
   outcome.err = err.str();
   return outcome;
}

std::string
scenarioOutcomeProblem( const ScenarioOutcome & outcome ) {
   const std::string lastOut = lastLine( outcome.out );
   const std::optional< std::size_t > failed = failedInTally( lastOut );
   const bool anyFailed = failed && *failed > 0;
   switch( outcome.exitStatus ) {
   case 0:
      return anyFailed ? "exit status 0 after a failed check: " + lastOut : "";
   case 1:
      return anyFailed ? "" : "exit status 1 without a tally of failed checks at the end";
   case 2:
      return isLocated( lastLine( outcome.err ) )
                ? ""
                : "exit status 2 without \"" + std::string( scenarioName ) +
                     ":LINE: ...\" last on standard error, got: " + lastLine( outcome.err );
   default:
      return "exit status " + std::to_string( outcome.exitStatus ) + " is none of 0, 1 and 2";
   }
}

} // namespace FuzzCheck
