// One simulator: the plug-in's loader, the session (host, trace capture and
// tally), the language, and the runner that feeds lines through them. The
// program has one; the tests and the model runs make one per run. The agent,
// if started, stops with it, on the activity thread.
#pragma once

#include "host/PluginLoader.h"
#include "session/CommandTable.h"
#include "session/Runner.h"
#include "session/Session.h"

#include <iosfwd>
#include <string>

namespace Sim {

class Simulator {
 public:
   // Output goes to `out` and `err` (trace lines too, unless `quiet`);
   // `pluginPath` empty: the plug-in built with the simulator.
   Simulator( std::ostream & out, std::ostream & err, bool quiet, const std::string & pluginPath = {},
              Style style = Style(), std::size_t traceKept = TraceCapture::defaultKeptPerStream );
   ~Simulator();
   Simulator( const Simulator & ) = delete;
   Simulator & operator=( const Simulator & ) = delete;

   Session & session() noexcept { return session_; }
   const CommandTable & table() const noexcept { return table_; }
   Runner & runner() noexcept { return runner_; }

   // Runs `text` as the file `name`: to its end, or to its first malformed
   // line. Returns whether it got to the end.
   bool runText( const std::string & text, const std::string & name );
   // Stops the agent when it runs.
   void stopAgent();

 private:
   PluginLoader loader_;
   Session session_;
   const CommandTable table_;
   Runner runner_;
};

} // namespace Sim
