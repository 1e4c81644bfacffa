#include "terminal/PromptSignals.h"

#include "language/ScenarioError.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>

namespace Sim {

namespace {

constexpr int promptSignals[] = { SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP };

// The handler has no context argument: the pipe lives here.
int signalPipe[ 2 ] = { -1, -1 };

void
noteSignal( int signal ) {
   const int savedErrno = errno;
   const auto number = static_cast< unsigned char >( signal );
   [[maybe_unused]] const ssize_t written = ::write( signalPipe[ 1 ], &number, 1 );
   errno = savedErrno;
}

} // namespace

static_assert( std::size( promptSignals ) == PromptSignals::count );

PromptSignals::PromptSignals() {
   if( ::pipe2( signalPipe, O_CLOEXEC | O_NONBLOCK ) != 0 ) {
      throw InputError( "cannot read the terminal: " + systemReason() );
   }
   note();
}

PromptSignals::~PromptSignals() {
   restore();
   ::close( signalPipe[ 0 ] );
   ::close( signalPipe[ 1 ] );
   signalPipe[ 0 ] = signalPipe[ 1 ] = -1;
}

void
PromptSignals::note() {
   struct sigaction noting {};
   noting.sa_handler = noteSignal;
   sigemptyset( &noting.sa_mask );
   for( std::size_t i = 0; i < count; ++i ) {
      ::sigaction( promptSignals[ i ], &noting, &found_[ i ] );
   }
}

void
PromptSignals::restore() {
   for( std::size_t i = 0; i < count; ++i ) {
      ::sigaction( promptSignals[ i ], &found_[ i ], nullptr );
   }
}

void
PromptSignals::passOn( int signal ) {
   restore();
   ::raise( signal );
   note();
}

int
PromptSignals::fd() const noexcept {
   return signalPipe[ 0 ];
}

int
PromptSignals::next() noexcept {
   unsigned char number = 0;
   return ::read( signalPipe[ 0 ], &number, 1 ) == 1 ? number : 0;
}

} // namespace Sim
