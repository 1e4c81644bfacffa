// What happens in a run, told to the reports written beside the output
// (--junit, --timeline): the runner says which input and command run and
// which line was malformed, the tally says how each check went. Every method
// does nothing unless overridden, so a report hears only what it needs.
//
// Messages come without colour, exactly as the run prints them otherwise.
#pragma once

#include "language/Command.h"

#include <string>
#include <vector>

namespace Sim {

class RunListener {
 public:
   virtual ~RunListener() = default;

   // A scenario file, "stdin" or the prompt starts to be read.
   virtual void inputStarting( const std::string & ) {}
   // A command (not a blank or comment line) is about to run, and has ended.
   virtual void commandStarting( const Line & ) {}
   virtual void commandEnded( const Line & ) {}
   // One check; `message` is the line printed for a failed one
   // ("FILE:LINE: expected E, got G"), empty for one that held.
   virtual void checked( const Location &, bool, const std::string & ) {}
   // The plug-in raised during a command; it counts as a failed check.
   // `message` is "FILE:LINE: COMMAND raised: WHAT".
   virtual void raised( const Location &, const std::string & ) {}
   // An audit ran for `line` (audit, show audit, expect audit), of the unit
   // it names or of every unit; `summary` is "N differences, N pending" and
   // `differences` its lines.
   virtual void audited( const Line &, bool, const std::string &, const std::vector< std::string > & ) {}
   // A malformed line, or input that cannot be read: "FILE:LINE: WHAT".
   // `endsRun`: nothing after it runs (in a file; at the prompt the session
   // goes on).
   virtual void malformed( const Location &, const std::string &, bool ) {}
   // The process stops in the middle of the command last started (a failed
   // checked SDK call, a broken precondition): what the report holds must be
   // written now. Throws nothing; the process is going.
   virtual void processStopping() noexcept {}
};

// The listeners of one session, told in the order added. A listener is
// removed before it is destroyed.
class RunListeners {
 public:
   void add( RunListener * listener ) { listeners_.push_back( listener ); }
   void remove( RunListener * listener ) { std::erase( listeners_, listener ); }

   template < typename Tell >
   void tell( Tell && tell ) const {
      for( RunListener * listener : listeners_ ) {
         tell( *listener );
      }
   }

 private:
   std::vector< RunListener * > listeners_;
};

} // namespace Sim
