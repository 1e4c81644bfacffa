// The signals the prompt looks after while a line is typed (SIGINT, SIGTERM,
// SIGHUP, SIGQUIT, SIGTSTP). A signal handler can only note a signal: it
// writes the number to a pipe, which the prompt's reading loop watches beside
// the terminal and deals with in its own time, the terminal put back first.
// One at a time.
#pragma once

#include <csignal>
#include <cstddef>

namespace Sim {

class PromptSignals {
 public:
   // Notes the signals from now on. Throws InputError when there is no pipe.
   PromptSignals();
   // The dispositions found at the start come back.
   ~PromptSignals();
   PromptSignals( const PromptSignals & ) = delete;
   PromptSignals & operator=( const PromptSignals & ) = delete;

   // Notes the signals again, after restore().
   void note();
   // The dispositions found at the start, for while a command runs.
   void restore();
   // `signal` handled as it would be without the prompt (it may end or stop
   // the process here), then noted again.
   void passOn( int signal );
   // Readable while a signal noted waits.
   int fd() const noexcept;
   // The next signal noted, or 0.
   int next() noexcept;

   // How many signals it looks after.
   static constexpr std::size_t count = 5;

 private:
   struct sigaction found_[ count ] {};
};

} // namespace Sim
