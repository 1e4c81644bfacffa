// Everything a command reaches: the agent, the trace capture, the expectation
// tally and the labels of `mark`. One session is one process's run, across
// every scenario file.
#pragma once

#include "Command.h"
#include "Host.h"
#include "TraceCapture.h"

#include <cstddef>
#include <iosfwd>
#include <map>
#include <string>

namespace Sim {

// The tally of expectations. A failed one prints "FILE:LINE: expected E, got
// G" at once; the run goes on.
class Checks {
 public:
   explicit Checks( std::ostream & out ) : out_( out ) {}

   // Records one check and returns whether it held.
   bool check( const Location & where, bool holds, const std::string & expected,
               const std::string & got );
   // A framework error thrown during a command: "FILE:LINE: COMMAND raised:
   // WHAT" on `err`; it counts as a failed check.
   void raised( const Location & where, const std::string & command, const std::string & what,
                std::ostream & err );

   std::size_t passed() const noexcept { return passed_; }
   std::size_t failed() const noexcept { return failed_; }
   std::size_t total() const noexcept { return passed_ + failed_; }
   // "N passed, N failed".
   std::string summary() const;

 private:
   std::ostream & out_;
   std::size_t passed_ = 0;
   std::size_t failed_ = 0;
};

struct Session {
   Session( std::ostream & out, std::ostream & err, bool quiet, PluginLoader & loader )
         : out( out ), err( err ), trace( out, quiet ), host( loader ), checks( out ) {}

   std::ostream & out;
   std::ostream & err;
   // Before the host: lines traced while the agent shuts down still have a sink.
   TraceCapture trace;
   Host host;
   Checks checks;
   // mark OBJECT as LABEL: the object's serial, holding no reference.
   std::map< std::string, U64 > labels;
};

} // namespace Sim
