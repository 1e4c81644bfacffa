#include "TerminalInput.h"

#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace Sim {

namespace {

// Raw mode for as long as it lives: keys arrive one by one, unechoed, with
// Ctrl-C and Ctrl-D as plain bytes. Output processing stays on, so "\n"
// still starts a new line.
class RawMode {
 public:
   explicit RawMode( int fd ) : fd_( fd ) {
      active_ = ::tcgetattr( fd_, &saved_ ) == 0;
      if( !active_ ) {
         return;
      }
      termios raw = saved_;
      raw.c_lflag &= ~tcflag_t( ICANON | ECHO | ISIG | IEXTEN );
      raw.c_iflag &= ~tcflag_t( IXON | ICRNL | INLCR );
      raw.c_cc[ VMIN ] = 1;
      raw.c_cc[ VTIME ] = 0;
      ::tcsetattr( fd_, TCSAFLUSH, &raw );
   }
   ~RawMode() {
      if( active_ ) {
         ::tcsetattr( fd_, TCSAFLUSH, &saved_ );
      }
   }
   RawMode( const RawMode & ) = delete;
   RawMode & operator=( const RawMode & ) = delete;

 private:
   int fd_;
   bool active_ = false;
   termios saved_{};
};

} // namespace

TerminalInput::TerminalInput( int in, int out, CompletionWords words, std::string prompt )
      : in_( in ), out_( out ), prompt_( std::move( prompt ) ),
        editor_( history_, std::move( words ) ) {}

void
TerminalInput::write( const std::string & text ) const {
   std::size_t done = 0;
   while( done < text.size() ) {
      const ssize_t n = ::write( out_, text.data() + done, text.size() - done );
      if( n < 0 && errno == EINTR ) {
         continue;
      }
      if( n <= 0 ) {
         return; // the terminal is gone: nothing to draw on
      }
      done += std::size_t( n );
   }
}

std::size_t
TerminalInput::screenWidth() const {
   winsize size{};
   if( ::ioctl( out_, TIOCGWINSZ, &size ) == 0 && size.ws_col > 0 ) {
      return size.ws_col;
   }
   return 80;
}

void
TerminalInput::redraw() const {
   const LineView view = viewOf( prompt_.size(), editor_.buffer(), editor_.cursor(), screenWidth() );
   std::string text = "\r" + prompt_ + view.text + "\x1b[K\r";
   if( view.cursorColumn > 0 ) {
      text += "\x1b[" + std::to_string( view.cursorColumn ) + "C";
   }
   write( text );
}

void
TerminalInput::listCandidates() const {
   const std::size_t width = screenWidth();
   std::string text = "\n";
   std::size_t column = 0;
   for( const std::string & word : editor_.candidates() ) {
      if( column > 0 && column + word.size() + 2 > width ) {
         text += "\n";
         column = 0;
      }
      text += word + "  ";
      column += word.size() + 2;
   }
   write( text + "\n" );
}

std::optional< std::string >
TerminalInput::readLine() {
   RawMode raw( in_ );
   KeyDecoder decoder;
   redraw();
   for( ;; ) {
      unsigned char byte = 0;
      const ssize_t n = ::read( in_, &byte, 1 );
      if( n < 0 && errno == EINTR ) {
         continue;
      }
      if( n <= 0 ) {
         write( "\n" );
         return std::nullopt;
      }
      const std::optional< Key > key = decoder.feed( byte );
      if( !key ) {
         continue;
      }
      switch( editor_.feed( *key ) ) {
       case LineEditor::Event::edited: redraw(); break;
       case LineEditor::Event::accepted:
         write( "\n" );
         return editor_.accepted();
       case LineEditor::Event::interrupted:
         write( "^C\n" );
         redraw();
         break;
       case LineEditor::Event::quit: write( "\n" ); return std::nullopt;
       case LineEditor::Event::listCandidates:
         listCandidates();
         redraw();
         break;
       case LineEditor::Event::clearScreen:
         write( "\x1b[H\x1b[2J" );
         redraw();
         break;
      }
   }
}

} // namespace Sim
