#include "output/AbortAction.h"

#include <csignal>

namespace Sim {

namespace {

// A signal handler has no context argument: the action lives here.
std::function< void() > pendingAction;

void
onAbort( int ) {
   std::function< void() > action = std::move( pendingAction );
   pendingAction = nullptr;
   if( action ) {
      action();
   }
   // Whether abort() or kill() sent it, the process ends as an abort.
   std::signal( SIGABRT, SIG_DFL );
   std::raise( SIGABRT );
}

} // namespace

AbortAction::AbortAction( std::function< void() > action ) {
   pendingAction = std::move( action );
   std::signal( SIGABRT, onAbort );
}

AbortAction::~AbortAction() {
   std::signal( SIGABRT, SIG_DFL );
   pendingAction = nullptr;
}

} // namespace Sim
