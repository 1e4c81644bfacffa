// Runs scenario text line by line through the command table, with the
// activity lock held around each command (the host's activity thread).
//
// Files: a malformed line or an unknown name prints "FILE:LINE: what is wrong"
// on standard error and ends the run (nothing after it runs, exit 2); so does
// input that cannot be read as scenario text. Interactive: the same message,
// and the session goes on, but it still ends with exit status 2. Either way a
// framework error the plug-in throws during a command is reported as
// "FILE:LINE: COMMAND raised: WHAT" and counts as a failed check. Output that
// cannot be written ends the run at once with OutputError.
//
// With a recorder, every line run is handed to it with how it ended.
#pragma once

#include "language/LineReader.h"
#include "session/CommandTable.h"
#include "session/Recorder.h"
#include "session/RunListener.h"
#include "session/Session.h"

#include <cstdio>
#include <functional>
#include <iosfwd>
#include <string>

namespace Sim {

// Where interactive lines come from: lines typed at a terminal, with or
// without a line editor.
class LineSource {
 public:
   // What becomes of one line; false stops the reading.
   using Take = std::function< bool( const std::string & line ) >;
   virtual ~LineSource() = default;
   // Hands every line to `take`, in order, until the end of input or until
   // `take` returns false. What `take` throws propagates.
   virtual void readLines( const Take & take ) = 0;
};

// Lines without a line editor, each after the prompt when there is
// somewhere to write it.
class PlainLineSource : public LineSource {
 public:
   PlainLineSource( LineReader & lines, std::FILE * prompt ) : lines_( lines ), prompt_( prompt ) {}
   void readLines( const Take & take ) override;

 private:
   LineReader & lines_;
   std::FILE * prompt_;
};

// The prompt of interactive sessions.
inline constexpr const char * promptText = "strata> ";

class Runner {
 public:
   Runner( Session & session, const CommandTable & table ) : session_( session ), table_( table ) {}

   // Runs every line of `lines`, named `name` in messages; returns false when
   // a malformed line or unreadable input ended the run.
   bool runFile( LineReader & lines, const std::string & name );
   bool runFile( std::istream & in, const std::string & name );
   // Runs lines until the end of input; malformed lines are reported and the
   // session goes on.
   void runInteractive( LineSource & lines );
   // Runs one line. Returns false when the line was malformed.
   bool runLine( const std::string & text, const Location & where );

   // Hands every line run from now on to `recorder` (null: none).
   void recorderIs( Recorder * recorder ) noexcept { recorder_ = recorder; }

   // 2 after a malformed line, 1 after a failed check, else 0.
   int exitStatus() const noexcept;
   // Prints "N passed, N failed" when the run checked anything.
   void finish();

 private:
   Recorder::Outcome runCommand( const std::string & text, const Location & where );
   void reportMalformed( const Location & where, const std::string & what );
   void flushOutput();

   Session & session_;
   const CommandTable & table_;
   Recorder * recorder_ = nullptr;
   bool malformed_ = false;
   bool interactive_ = false; // a malformed line does not end the run
};

// A line's tokens as they would be written again (quoted where they were).
std::string commandText( const std::vector< Token > & tokens );

} // namespace Sim
