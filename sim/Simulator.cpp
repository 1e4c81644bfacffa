#include "Simulator.h"

#include "Quill/ActivityLock.h"
#include "commands/StandardCommands.h"

#include <mutex>
#include <sstream>

namespace Sim {

Simulator::Simulator( std::ostream & out, std::ostream & err, bool quiet, const std::string & pluginPath, Style style,
                      std::size_t traceKept )
      : loader_( pluginPath ), session_( out, err, quiet, loader_, style, traceKept ), table_( standardCommands() ),
        runner_( session_, table_ ) {}

Simulator::~Simulator() {
   stopAgent();
}

bool
Simulator::runText( const std::string & text, const std::string & name ) {
   std::istringstream in( text );
   return runner_.runFile( in, name );
}

void
Simulator::stopAgent() {
   std::lock_guard activity( Quill::activityLock() );
   if( session_.host.started() ) {
      session_.host.stop();
   }
}

} // namespace Sim
