#include "terminal/Prompt.h"

#include "language/LineReader.h"
#include "terminal/PromptSignals.h"

#include <langinfo.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <exception>
#include <iterator>
#include <memory>
#include <string_view>

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
// The library's callbacks are plain functions without a context argument:
// they reach the reading in progress through this.
struct Reading {
   Reading( const CompletionWords & words, const LineSource::Take & take, std::string & newest, PromptSignals & signals,
            std::FILE * display )
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
   std::deque< int > pendingKeys; // read from the terminal, not yet handed over
   bool endTypedAhead = false;    // a Ctrl-D typed while a command ran
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
   if( !typed || r.endTypedAhead ) {
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
#if defined( STRATA_LINE_EDITOR_READLINE )
   if( r.done ) {
      rl_callback_handler_remove();
   }
#endif
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

#if defined( STRATA_LINE_EDITOR_READLINE )

// GNU Readline: its callback interface, beside the signal pipe. The library
// puts the terminal back before it hands over a line and takes it again
// after, keeping whatever it read ahead for the next line.

void
startLine() {
   rl_callback_handler_install( promptText, takeLine );
}

// A Ctrl-D typed while a command ran, the terminal in line mode, reaches the
// prompt as a NUL byte: on an empty line it quits, as Ctrl-D does there.
int
endTypedAhead( int, int ) {
   if( rl_end == 0 && reading ) {
      reading->endTypedAhead = true;
      rl_done = 1;
   }
   return 0;
}

// Ctrl-C: the line being typed goes, a fresh one starts.
void
dropLine( Reading & r ) {
   rl_free_line_state();
   rl_callback_sigcleanup();
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

void
readAll( Reading & r ) {
   startLine();
   while( !r.done ) {
      pollfd ready[] = { { STDIN_FILENO, POLLIN, 0 }, { r.signals.fd(), POLLIN, 0 } };
      if( ::poll( ready, std::size( ready ), -1 ) < 0 ) {
         if( errno == EINTR ) {
            continue;
         }
         break;
      }
      if( ready[ 1 ].revents & POLLIN ) {
         while( const int signal = r.signals.next() ) {
            if( signal == SIGINT ) {
               dropLine( r );
            } else {
               passOn( r, signal );
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
}

#else

// libedit: a line at a time, the library reading its keys through readKey()
// below, which waits on the terminal and the signal pipe together: a signal
// noted ends the read at once, no line comes back, and the signal is dealt
// with here. Keys are read a byte at a time, so what is typed ahead stays
// with the terminal for the next line.
void
readAll( Reading & r ) {
   while( !r.done ) {
      char * typed = readline( promptText );
      const int signal = r.signals.next();
      if( !signal ) {
         takeLine( typed );
         continue;
      }
      std::free( typed );
      if( signal == SIGINT ) {
         std::fputc( '\n', r.display ); // Ctrl-C: the line being typed goes
      } else {
         r.signals.passOn( signal );
      }
   }
}

// The escape sequences after ESC [ that libedit binds: arrows, Home, End,
// Insert, Delete and the word moves.
constexpr std::string_view boundSequences[] = { "A",  "B",  "C",  "D",  "H",    "F",    "1~", "2~",
                                                "3~", "4~", "7~", "8~", "1;5C", "1;5D", "5C", "5D" };

// One byte from the terminal; -1 when a signal was noted (it stays in the
// pipe) or the input ended.
int
nextByte() {
   for( ;; ) {
      pollfd ready[] = { { STDIN_FILENO, POLLIN, 0 }, { reading->signals.fd(), POLLIN, 0 } };
      if( ::poll( ready, std::size( ready ), -1 ) < 0 && errno != EINTR ) {
         return -1;
      }
      if( ready[ 1 ].revents & POLLIN ) {
         return -1;
      }
      if( !( ready[ 0 ].revents & ( POLLIN | POLLHUP | POLLERR ) ) ) {
         continue;
      }
      unsigned char byte = 0;
      const ssize_t got = ::read( STDIN_FILENO, &byte, 1 );
      if( got == 1 ) {
         return byte;
      }
      if( got == 0 || errno != EINTR ) {
         return -1;
      }
   }
}

// The next key for libedit: a character whole (UTF-8 decoded, as the
// library takes it), or -1 to end the read. An escape sequence no key is
// bound to is dropped whole, however long, rather than leaving its digits
// typed.
int
readKey( std::FILE * ) {
   std::deque< int > & pending = reading->pendingKeys;
   if( !pending.empty() ) {
      const int key = pending.front();
      pending.pop_front();
      return key;
   }
   const int first = nextByte();
   if( first == 0x1B ) {
      const int second = nextByte();
      if( second != '[' ) {
         pending.push_back( second );
         return first;
      }
      std::string sequence;
      int byte;
      while( ( byte = nextByte() ) >= 0x20 && byte < 0x40 ) {
         sequence += char( byte ); // parameters and intermediates
      }
      if( byte < 0 ) {
         return -1;
      }
      sequence += char( byte ); // the final byte
      if( std::find( std::begin( boundSequences ), std::end( boundSequences ), sequence ) ==
          std::end( boundSequences ) ) {
         return readKey( nullptr );
      }
      pending.push_back( '[' );
      pending.insert( pending.end(), sequence.begin(), sequence.end() );
      return first;
   }
   if( first == 0 ) {
      // A Ctrl-D typed while a command ran, the terminal in line mode,
      // comes as a NUL byte: it is a Ctrl-D.
      return 0x04;
   }
   if( first < 0xC0 ) {
      return first; // ASCII (or a stray byte, taken as it is)
   }
   const int length = first < 0xE0 ? 2 : first < 0xF0 ? 3 : 4;
   int character = first & ( 0x3F >> ( length - 1 ) );
   for( int i = 1; i < length; ++i ) {
      const int next = nextByte();
      if( next < 0 || ( next & 0xC0 ) != 0x80 ) {
         pending.push_back( next );
         return first;
      }
      character = ( character << 6 ) | ( next & 0x3F );
   }
   return character;
}

#endif

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
   rl_catch_signals = 0; // the reading loop looks after them
#if defined( STRATA_LINE_EDITOR_READLINE )
   rl_change_environment = 0;
#else
   rl_getc_function = readKey;
#endif
   rl_initialize();
   static char wordBreaks[] = " \t";
   rl_basic_word_break_characters = wordBreaks;
   rl_completer_word_break_characters = wordBreaks;
   rl_attempted_completion_function = completeWord;
   stifle_history( historyLength );
#if defined( STRATA_LINE_EDITOR_READLINE )
   // Every byte reaches the line as it is, in any locale.
   rl_variable_bind( "input-meta", "on" );
   rl_variable_bind( "output-meta", "on" );
   rl_variable_bind( "convert-meta", "off" );
   // An escape sequence no key is bound to (ESC [ 1 ; 5 Q ...) is skipped
   // whole, however long, rather than leaving its digits typed.
   rl_bind_keyseq( "\\e[", rl_skip_csi_sequence );
   rl_bind_key( 0, endTypedAhead );
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
   // The callbacks reach `state` only while this call runs, however it ends.
   struct Current {
      explicit Current( Reading & state ) { reading = &state; }
      ~Current() { reading = nullptr; }
   } const current( state );
   readAll( state );
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
