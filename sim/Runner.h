// Runs scenario text line by line through the command table, with the
// activity lock held around each command (the host's activity thread).
//
// Files: a malformed line or an unknown name prints "FILE:LINE: what is wrong"
// on standard error and ends the run (nothing after it runs, exit 2).
// Interactive: the same message, and the session goes on. Either way a
// framework error the plug-in throws during a command is reported as
// "FILE:LINE: COMMAND raised: WHAT" and counts as a failed check.
#pragma once

#include "CommandTable.h"
#include "Session.h"

#include <iosfwd>
#include <string>

namespace Sim {

class Runner {
 public:
   Runner( Session & session, const CommandTable & table ) : session_( session ), table_( table ) {}

   // Runs a whole stream; returns false when a malformed line ended the run.
   bool runFile( std::istream & in, const std::string & name );
   // Reads commands until the end of input, prompting "strata> " before each
   // when `prompt` (the simulator prompts only a terminal, so that piped
   // input does not fill the output with prompts).
   void runInteractive( std::istream & in, bool prompt );
   // Runs one line. Returns false when the line was malformed.
   bool runLine( const std::string & text, const Location & where );

   // 2 after a malformed line, 1 after a failed check, else 0.
   int exitStatus() const noexcept;
   // Prints "N passed, N failed" when the run checked anything.
   void finish();

 private:
   Session & session_;
   const CommandTable & table_;
   bool malformed_ = false;
};

// A line's tokens as they would be written again (quoted where they were).
std::string commandText( const std::vector< Token > & tokens );

} // namespace Sim
