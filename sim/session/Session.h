// Everything a command reaches: the agent, the trace capture, the expectation
// tally and the labels of `mark`. One session is one process's run, across
// every scenario file.
#pragma once

#include "host/Host.h"
#include "language/Command.h"
#include "session/RunListener.h"
#include "session/Style.h"
#include "session/TraceCapture.h"

#include <cstddef>
#include <iosfwd>
#include <map>
#include <string>
#include <vector>

namespace Sim {

// The tally of expectations. A failed one prints "FILE:LINE: expected E, got
// G" at once (as printable() shows text); the run goes on. Each check and
// each raise is told to `listeners` as well.
class Checks {
 public:
   Checks( std::ostream & out, Style style, const RunListeners & listeners )
         : out_( out ), style_( style ), listeners_( listeners ) {}

   // Records one check and returns whether it held. A failed check's
   // `details` follow its line, one per line, indented.
   bool check( const Location & where, bool holds, const std::string & expected, const std::string & got,
               const std::vector< std::string > & details = {} );
   // A framework error thrown during a command: "FILE:LINE: COMMAND raised:
   // WHAT" on `err`; it counts as a failed check.
   void raised( const Location & where, const std::string & command, const std::string & what, std::ostream & err );

   std::size_t passed() const noexcept { return passed_; }
   std::size_t failed() const noexcept { return failed_; }
   std::size_t total() const noexcept { return passed_ + failed_; }
   // "N passed, N failed" (coloured by the outcome on a terminal).
   std::string summary() const;

 private:
   std::ostream & out_;
   Style style_;
   const RunListeners & listeners_;
   std::size_t passed_ = 0;
   std::size_t failed_ = 0;
};

struct Session {
   // `style`: how output to `out` is coloured (plain unless it is a terminal);
   // `traceKept`: how many lines of each trace handle and level are kept.
   Session( std::ostream & out, std::ostream & err, bool quiet, PluginLoader & loader, Style style = Style(),
            std::size_t traceKept = TraceCapture::defaultKeptPerStream )
         : out( out ), err( err ), style( style ), trace( out, quiet, style, traceKept ), host( loader ),
           checks( out, style, listeners ) {}

   std::ostream & out;
   std::ostream & err;
   Style style;
   // The reports written beside the output; before the tally, which tells them.
   RunListeners listeners;
   // Before the host: lines traced while the agent shuts down still have a sink.
   TraceCapture trace;
   Host host;
   Checks checks;
   // mark OBJECT as LABEL: the object's serial, holding no reference.
   std::map< std::string, U64 > labels;
};

} // namespace Sim
