#include "Prompt.h"

#include "LineReader.h"

#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iterator>
#include <memory>

#if defined( STRATA_LINE_EDITOR_LIBEDIT )
#include <editline/readline.h>
#elif defined( STRATA_LINE_EDITOR_READLINE )
#include <readline/history.h>
#include <readline/readline.h>
#endif

namespace Sim {

#if defined( STRATA_LINE_EDITOR_LIBEDIT ) || defined( STRATA_LINE_EDITOR_READLINE )

namespace {

constexpr int historyLength = 500;
// What the prompt itself looks after while a line is typed.
constexpr int promptSignals[] = { SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP };

// The signal handler can only note a signal: it writes its number to this
// pipe, which the reading loop watches beside the terminal.
int signalPipe[ 2 ] = { -1, -1 };

void
noteSignal( int signal ) {
   const int savedErrno = errno;
   const auto number = static_cast< unsigned char >( signal );
   [[maybe_unused]] const ssize_t written = ::write( signalPipe[ 1 ], &number, 1 );
   errno = savedErrno;
}

// The prompt's signals noted in the pipe while a line is typed; the
// dispositions found at the start come back while a command runs and at the
// end.
class PromptSignals {
 public:
   PromptSignals() {
      if( ::pipe2( signalPipe, O_CLOEXEC | O_NONBLOCK ) != 0 ) {
         throw InputError( "cannot read the terminal: " + systemReason() );
      }
      note();
   }
   ~PromptSignals() {
      restore();
      ::close( signalPipe[ 0 ] );
      ::close( signalPipe[ 1 ] );
      signalPipe[ 0 ] = signalPipe[ 1 ] = -1;
   }
   PromptSignals( const PromptSignals & ) = delete;
   PromptSignals & operator=( const PromptSignals & ) = delete;

   void note() {
      struct sigaction noting {};
      noting.sa_handler = noteSignal;
      sigemptyset( &noting.sa_mask );
      for( std::size_t i = 0; i < std::size( promptSignals ); ++i ) {
         ::sigaction( promptSignals[ i ], &noting, &found_[ i ] );
      }
   }
   void restore() {
      for( std::size_t i = 0; i < std::size( promptSignals ); ++i ) {
         ::sigaction( promptSignals[ i ], &found_[ i ], nullptr );
      }
   }
   // `signal` handled as it would be without the prompt (it may end or stop
   // the process here), then noted again.
   void passOn( int signal ) {
      restore();
      ::raise( signal );
      note();
   }
   int fd() const noexcept { return signalPipe[ 0 ]; }
   // The next signal noted, or 0.
   int next() noexcept {
      unsigned char number = 0;
      return ::read( signalPipe[ 0 ], &number, 1 ) == 1 ? number : 0;
   }

 private:
   struct sigaction found_[ std::size( promptSignals ) ] {};
};

// The library's callbacks are plain functions without a context argument:
// they reach the reading in progress through this.
struct Reading {
   Reading( const CompletionWords & words, const LineSource::Take & take, std::string & newest,
            PromptSignals & signals, std::FILE * display )
         : words( words ), take( take ), newest( newest ), signals( signals ), display( display ) {}

   const CompletionWords & words;
   const LineSource::Take & take;
   std::string & newest;
   PromptSignals & signals;
   std::FILE * display;
   bool done = false;
   std::exception_ptr error;
   std::vector< std::string > candidates;
   std::size_t nextCandidate = 0;
};
Reading * reading = nullptr;

void
addHistory( Reading & r, const std::string & line ) {
   const bool blank = line.find_first_not_of( " \t" ) == std::string::npos;
   if( blank || line == r.newest ) {
      return;
   }
   r.newest = line;
   add_history( line.c_str() );
}

// A typed line: every line it holds runs, with the signals as they are
// without a prompt. The library has put the terminal back before this.
void
takeLine( char * typed ) {
   const std::unique_ptr< char, decltype( &std::free ) > owned( typed, &std::free );
   Reading & r = *reading;
   if( !typed ) {
      std::fputc( '\n', r.display ); // Ctrl-D or the end of input
      r.done = true;
   } else {
      r.signals.restore();
      try {
         std::string_view rest( typed );
         while( !r.done ) {
            const std::size_t end = std::min( rest.find_first_of( "\r\n" ), rest.size() );
            const std::string line( rest.substr( 0, end ) );
            addHistory( r, line );
            r.done = !r.take( line );
            if( end == rest.size() ) {
               break;
            }
            rest.remove_prefix( end + 1 );
         }
      } catch( ... ) {
         r.error = std::current_exception();
         r.done = true;
      }
      r.signals.note();
   }
   if( r.done ) {
      rl_callback_handler_remove();
   }
}

char *
nextCandidate( const char *, int state ) {
   Reading & r = *reading;
   if( state == 0 ) {
      r.nextCandidate = 0;
   }
   if( r.nextCandidate >= r.candidates.size() ) {
      return nullptr;
   }
   return ::strdup( r.candidates[ r.nextCandidate++ ].c_str() );
}

char **
completeWord( const char * text, int, int end ) {
   rl_attempted_completion_over = 1; // command words only, never file names
   if( !reading ) {
      return nullptr;
   }
   reading->candidates = completionsFor( reading->words, std::string_view( rl_line_buffer, std::size_t( end ) ) );
   return rl_completion_matches( text, nextCandidate );
}

void
startLine() {
   rl_callback_handler_install( promptText, takeLine );
}

// Ctrl-C: the line being typed goes, a fresh one starts.
void
dropLine( Reading & r ) {
#if defined( STRATA_LINE_EDITOR_READLINE )
   rl_free_line_state();
   rl_callback_sigcleanup();
#endif
   rl_callback_handler_remove();
   std::fputc( '\n', r.display );
   startLine();
}

// Any other signal: the terminal back as it was, the signal as it would be
// without the prompt; should the process go on (Ctrl-Z, then fg), so does the
// line being typed.
void
passOn( Reading & r, int signal ) {
   const std::string typed = rl_line_buffer ? std::string( rl_line_buffer, std::size_t( rl_end ) ) : "";
   rl_callback_handler_remove();
   r.signals.passOn( signal );
   startLine();
   rl_insert_text( typed.c_str() );
   rl_redisplay();
}

} // namespace

Prompt::Prompt( CompletionWords words, std::FILE * display ) : words_( std::move( words ) ), display_( display ) {
   // Letters beyond ASCII come typed as UTF-8: the library must take them as
   // characters whatever locale the environment names.
   if( !std::setlocale( LC_CTYPE, "" ) || std::strcmp( nl_langinfo( CODESET ), "UTF-8" ) != 0 ) {
      std::setlocale( LC_CTYPE, "C.UTF-8" );
   }
   rl_readline_name = "strata-agent-sim";
   rl_instream = stdin;
   rl_outstream = display_;
   static char wordBreaks[] = " \t";
   rl_completer_word_break_characters = wordBreaks;
   rl_attempted_completion_function = completeWord;
   stifle_history( historyLength );
#if defined( STRATA_LINE_EDITOR_READLINE )
   rl_catch_signals = 0; // the reading loop looks after them
   rl_change_environment = 0;
   rl_initialize();
   // Every byte reaches the line as it is, in any locale.
   rl_variable_bind( "input-meta", "on" );
   rl_variable_bind( "output-meta", "on" );
   rl_variable_bind( "convert-meta", "off" );
   // An escape sequence no key is bound to (ESC [ 1 ; 5 Q ...) is skipped
   // whole, however long, rather than leaving its digits typed.
   rl_bind_keyseq( "\\e[", rl_skip_csi_sequence );
#endif
}

Prompt::~Prompt() {
   clear_history();
}

const char *
Prompt::editor() noexcept {
#if defined( STRATA_LINE_EDITOR_LIBEDIT )
   return "libedit";
#else
   return "GNU Readline";
#endif
}

void
Prompt::readLines( const Take & take ) {
   PromptSignals signals;
   Reading state( words_, take, newest_, signals, display_ );
   reading = &state;
   startLine();
   while( !state.done ) {
      pollfd ready[] = { { STDIN_FILENO, POLLIN, 0 }, { signals.fd(), POLLIN, 0 } };
      if( ::poll( ready, std::size( ready ), -1 ) < 0 ) {
         if( errno == EINTR ) {
            continue;
         }
         break;
      }
      if( ready[ 1 ].revents & POLLIN ) {
         while( const int signal = signals.next() ) {
            if( signal == SIGINT ) {
               dropLine( state );
            } else {
               passOn( state, signal );
            }
         }
      }
      if( ready[ 0 ].revents & POLLNVAL ) {
         break;
      }
      if( ready[ 0 ].revents & ( POLLIN | POLLHUP | POLLERR ) ) {
         rl_callback_read_char();
      }
   }
   rl_callback_handler_remove();
   reading = nullptr;
   if( state.error ) {
      std::rethrow_exception( state.error );
   }
}

#else // no line editor: plain lines after a prompt

Prompt::Prompt( CompletionWords words, std::FILE * display ) : words_( std::move( words ) ), display_( display ) {}

Prompt::~Prompt() = default;

const char *
Prompt::editor() noexcept {
   return "none";
}

void
Prompt::readLines( const Take & take ) {
   LineReader lines( STDIN_FILENO );
   PlainLineSource( lines, display_ ).readLines( take );
}

#endif

} // namespace Sim
