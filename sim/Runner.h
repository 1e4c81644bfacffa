// Runs scenario text line by line through the command table, with the
// activity lock held around each command (the host's activity thread).
//
// Files: a malformed line or an unknown name prints "FILE:LINE: what is wrong"
// on standard error and ends the run (nothing after it runs, exit 2).
// Interactive: the same message, and the session goes on. Either way a
// framework error the plug-in throws during a command is reported as
// "FILE:LINE: COMMAND raised: WHAT" and counts as a failed check.
//
// With a recorder, every line run is handed to it with how it ended.
#pragma once

#include "CommandTable.h"
#include "Recorder.h"
#include "Session.h"

#include <iosfwd>
#include <optional>
#include <string>

namespace Sim {

// Where interactive lines come from: a plain stream, or the line editor on a
// terminal.
class LineSource {
 public:
   virtual ~LineSource() = default;
   // The next line without its end, or nothing at the end of input.
   virtual std::optional< std::string > readLine() = 0;
};

class StreamLineSource : public LineSource {
 public:
   // Writes the prompt "strata> " to `prompt` before each line, when given.
   StreamLineSource( std::istream & in, std::ostream * prompt ) : in_( in ), prompt_( prompt ) {}
   std::optional< std::string > readLine() override;

 private:
   std::istream & in_;
   std::ostream * prompt_;
};

// The prompt of interactive sessions.
inline constexpr const char * promptText = "strata> ";

class Runner {
 public:
   Runner( Session & session, const CommandTable & table ) : session_( session ), table_( table ) {}

   // Runs a whole stream; returns false when a malformed line ended the run.
   bool runFile( std::istream & in, const std::string & name );
   // Reads commands until the end of input; malformed lines are reported and
   // the session goes on.
   void runInteractive( LineSource & lines );
   // The same from a stream, prompting "strata> " before each line when
   // `prompt`.
   void runInteractive( std::istream & in, bool prompt );
   // Runs one line. Returns false when the line was malformed.
   bool runLine( const std::string & text, const Location & where );

   // Hands every line run from now on to `recorder` (null: none).
   void recorderIs( Recorder * recorder ) noexcept { recorder_ = recorder; }

   // 2 after a malformed line, 1 after a failed check, else 0.
   int exitStatus() const noexcept;
   // Prints "N passed, N failed" when the run checked anything.
   void finish();

 private:
   Session & session_;
   const CommandTable & table_;
   Recorder * recorder_ = nullptr;
   bool malformed_ = false;
};

// A line's tokens as they would be written again (quoted where they were).
std::string commandText( const std::vector< Token > & tokens );

} // namespace Sim
