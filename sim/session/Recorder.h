// `--record FILE`: writes every command the simulator runs, from files or
// typed at the prompt, as a scenario that replays to the same state.
//
// Each command is preceded by a comment with the virtual time at which it
// ran ("# [2.000000]", as trace lines write it). What changes nothing is kept
// as a comment, so that the replay does what the session did and still
// passes:
//   - an inspection (show, help):        "# show lport-tab 0"
//   - an expectation that did not hold:  "# failed: expect ..."
// A malformed line or one naming something unknown ran nothing and is left
// out. A command during which the plug-in raised an error is kept as a
// command, after a comment saying so: what it changed before the error (a
// request's version, say) is part of the state to reach, so the replay raises
// it too. Likewise a command during which the process stopped (a failed
// checked SDK call, a broken precondition): the replay stops there as well.
//
// Commands are written as the lexer reads them back; every other text (file
// names, notes) goes into comments through printable(), so that a newline in
// a file name cannot start a line of its own: a replay runs exactly the
// commands that were run.
//
// The file is flushed after every command, so an interrupted session keeps
// what it did; a write that fails throws OutputError.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace Sim {

class Recorder {
 public:
   // How a command ended, as far as the recording cares; `nothing` for a
   // blank or comment line.
   enum class Outcome { nothing, ran, inspected, checkFailed, raised, malformed };

   // Writes the header: what the file is, how to replay it, and `notes` (one
   // comment line each, e.g. the command line). `commands` run first on
   // replay (e.g. trace levels set from the command line). `name` names the
   // recording in errors.
   Recorder( std::ostream & out, std::string name, const std::vector< std::string > & notes,
             const std::vector< std::string > & commands );
   Recorder( const Recorder & ) = delete;
   Recorder & operator=( const Recorder & ) = delete;

   // Commands from now on come from `source` (a file, or "stdin").
   void sourceIs( const std::string & source );
   // A command is about to run at virtual time `time`; `text` as it would be
   // written again (quotes kept, comment dropped).
   void starting( double time, const std::string & text );
   // The command announced by starting() ended so.
   void ended( Outcome outcome );
   // The process stops in the middle of the command announced by starting().
   // Throws nothing: the process is going.
   void processStopping() noexcept;

 private:
   void writeTime( double time );
   void flush();

   std::ostream & out_;
   std::string name_;
   std::optional< std::string > source_;
   struct Pending {
      double time;
      std::string text;
   };
   std::optional< Pending > pending_;
};

} // namespace Sim
