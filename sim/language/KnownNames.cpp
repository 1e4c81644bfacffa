#include "language/KnownNames.h"

#include "Quill/Trace.h"
#include "language/ScenarioError.h"
#include "language/Suggestion.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace Sim {

namespace {

void
requireOneOf( const std::string & what, const std::string & name, const std::vector< std::string > & known ) {
   if( std::find( known.begin(), known.end(), name ) == known.end() ) {
      throw ScenarioError( "unknown " + what + " '" + name + "'" + suggestion( name, known ) );
   }
}

} // namespace

void
requireKnownToggle( const std::string & name ) {
   requireOneOf( "toggle", name, { std::begin( knownToggleNames ), std::end( knownToggleNames ) } );
}

void
requireTraceHandle( const std::string & handle ) {
   std::vector< std::string > known( std::begin( knownTraceHandles ), std::end( knownTraceHandles ) );
   for( const std::string & name : Quill::traceHandles() ) {
      if( std::find( known.begin(), known.end(), name ) == known.end() ) {
         known.push_back( name );
      }
   }
   requireOneOf( "trace handle", handle, known );
}

} // namespace Sim
