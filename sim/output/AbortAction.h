// What must reach the reader when the process stops on purpose. The agent
// aborts on a failed checked SDK call or a broken precondition, and the
// output printed so far and the recording's last command must not be lost
// with it: the replay of a recording must stop where the session stopped.
#pragma once

#include <functional>

namespace Sim {

// While it lives, `action` runs once when the process aborts (SIGABRT,
// whoever raised it), before the abort goes on. The abort comes from the
// agent's own thread at a point of its choosing, with the output streams
// between two operations, so the action may flush them. One at a time.
class AbortAction {
 public:
   explicit AbortAction( std::function< void() > action );
   ~AbortAction();
   AbortAction( const AbortAction & ) = delete;
   AbortAction & operator=( const AbortAction & ) = delete;
};

} // namespace Sim
