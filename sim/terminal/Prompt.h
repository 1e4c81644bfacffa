// The interactive prompt at a terminal: line editing, history and completion
// of command words through the readline API of a well-kept library (libedit
// or GNU Readline, whichever the build found); without either, plain lines
// after a prompt.
//
// The library has the terminal in its own mode only while a line is typed:
// each command runs with the terminal as it was, and what is typed meanwhile
// (the rest of a paste, a Ctrl-D) waits for the next line, nothing flushed. A
// line holding several (a bracketed paste) runs line by line. At the prompt,
// Ctrl-C drops the line being typed; SIGTERM, SIGHUP, SIGQUIT and Ctrl-Z
// restore the terminal before they end or stop the process. While a command
// runs, signals do what they would without a prompt.
#pragma once

#include "session/Runner.h"
#include "terminal/Completion.h"

#include <cstdio>
#include <string>

namespace Sim {

class Prompt : public LineSource {
 public:
   // `words`: what Tab completes. `display`: where the prompt and the line
   // being typed are drawn. Standard input must be a terminal.
   Prompt( CompletionWords words, std::FILE * display );
   ~Prompt() override;
   Prompt( const Prompt & ) = delete;
   Prompt & operator=( const Prompt & ) = delete;

   void readLines( const Take & take ) override;

   // The line editor of this build: "libedit", "GNU Readline" or "none".
   static const char * editor() noexcept;

 private:
   // Without a line editor, neither completion nor history.
   [[maybe_unused]] CompletionWords words_;
   std::FILE * display_;
   [[maybe_unused]] std::string newest_; // the newest history line, not kept twice in a row
};

} // namespace Sim
