// The prompt at a terminal (a pseudo-terminal here): what is typed or pasted
// reaches the commands byte for byte, nothing typed is lost or left over, and
// the terminal is left as it was found whatever ends the session.
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <string>

namespace {

// The simulator with a terminal of its own, seen from the keyboard's side.
class Terminal {
 public:
   Terminal() {
      pid_ = ::forkpty( &keyboard_, nullptr, nullptr, nullptr );
      if( pid_ == 0 ) {
         ::setenv( "TERM", "xterm", 1 );
         ::setenv( "NO_COLOR", "1", 1 );
         ::setenv( "INPUTRC", "/dev/null", 1 );
         ::execl( STRATA_SIM_PATH, STRATA_SIM_PATH, "--quiet", static_cast< char * >( nullptr ) );
         ::_exit( 127 );
      }
   }
   ~Terminal() {
      if( pid_ > 0 && !ended_ ) {
         ::kill( pid_, SIGKILL );
         ::waitpid( pid_, nullptr, 0 );
      }
      ::close( keyboard_ );
   }
   void signal( int number ) { ::kill( pid_, number ); }
   void type( const std::string & keys ) {
      ASSERT_EQ( ::write( keyboard_, keys.data(), keys.size() ), ssize_t( keys.size() ) );
   }
   // Reads the screen until it shows `text` after what was found before
   // (false after ten seconds without it).
   bool waitFor( const std::string & text ) {
      const auto until = std::chrono::steady_clock::now() + std::chrono::seconds( 10 );
      char bytes[ 4096 ];
      while( screen_.find( text, searched_ ) == std::string::npos ) {
         pollfd ready{ keyboard_, POLLIN, 0 };
         const ssize_t got = ::poll( &ready, 1, 100 ) > 0 ? ::read( keyboard_, bytes, sizeof bytes ) : 0;
         if( got < 0 || std::chrono::steady_clock::now() > until ) {
            return false; // the far side is gone, or the text never came
         }
         screen_.append( bytes, std::size_t( got ) );
      }
      searched_ = screen_.find( text, searched_ ) + text.size();
      return true;
   }
   const std::string & screen() const { return screen_; }
   // Whether the terminal is in its usual line mode, as found.
   bool lineMode() const {
      termios modes{};
      return ::tcgetattr( keyboard_, &modes ) == 0 && ( modes.c_lflag & ICANON ) && ( modes.c_lflag & ECHO );
   }
   // Whether the line editor has the terminal in its own mode (within ten
   // seconds: the prompt may show before the mode is set).
   bool editing() const {
      for( int tries = 0; lineMode(); ++tries ) {
         if( tries == 1000 ) {
            return false;
         }
         ::usleep( 10000 );
      }
      return true;
   }
   // How the process ended: its exit status, or 128 + the signal; -1 when it
   // is still running ten seconds on (it is killed then).
   int end() {
      int status = 0;
      for( int tries = 0; ::waitpid( pid_, &status, WNOHANG ) == 0; ++tries ) {
         if( tries == 1000 ) {
            return -1; // the destructor kills it
         }
         ::usleep( 10000 );
      }
      ended_ = true;
      return WIFSIGNALED( status ) ? 128 + WTERMSIG( status ) : WEXITSTATUS( status );
   }

 private:
   int keyboard_ = -1;
   pid_t pid_ = -1;
   bool ended_ = false;
   std::string screen_;
   std::size_t searched_ = 0;
};

TEST( Prompt, EverythingPastedRunsByteForByte ) {
   Terminal terminal;
   ASSERT_TRUE( terminal.waitFor( "strata> " ) ) << terminal.screen();
   // One paste: a command completed with Tab, a name beyond ASCII, a key
   // sending a long escape sequence no key is bound to, and Ctrl-D at the end.
   terminal.type(
      "toggle StrataCfmOnTH3 on\nexpect toggle-reads StrataCfmOnTH3 0\ntracer apply E\xc3\xa9\n"
      "sho\trequest\n\x1b[1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;17;18;19;20;21;22;23;24~show agent\n\x04" );
   EXPECT_TRUE( terminal.waitFor( "intfId:" ) && terminal.waitFor( " E\xc3\xa9\r\n" ) ) << terminal.screen();
   EXPECT_TRUE( terminal.waitFor( "started:" ) ) << terminal.screen();
   EXPECT_TRUE( terminal.waitFor( "1 passed, 0 failed" ) ) << terminal.screen();
   EXPECT_EQ( terminal.end(), 0 ) << terminal.screen();
   EXPECT_EQ( terminal.screen().find( "unknown" ), std::string::npos ) << terminal.screen();
   EXPECT_TRUE( terminal.lineMode() );
}

TEST( Prompt, CtrlCDropsTheLineAndSignalsLeaveTheTerminalAsFound ) {
   {
      // Typed before the prompt, with the terminal in line mode (as while a
      // command runs): the command runs and Ctrl-D still quits.
      Terminal terminal;
      terminal.type( "show agent\n\x04" );
      EXPECT_EQ( terminal.end(), 0 ) << terminal.screen();
      EXPECT_TRUE( terminal.waitFor( "started:" ) ) << terminal.screen();
   }
   {
      Terminal terminal;
      ASSERT_TRUE( terminal.waitFor( "strata> " ) ) << terminal.screen();
      terminal.type( "frob\x03" );
      ASSERT_TRUE( terminal.waitFor( "strata> " ) ) << terminal.screen();
      terminal.type( "show agent\n\x04" );
      EXPECT_EQ( terminal.end(), 0 ) << terminal.screen();
      EXPECT_EQ( terminal.screen().find( "unknown" ), std::string::npos ) << terminal.screen();
   }
   for( const int signal : { SIGTERM, SIGHUP, SIGQUIT } ) {
      Terminal terminal;
      ASSERT_TRUE( terminal.waitFor( "strata> " ) ) << terminal.screen();
      terminal.type( "half a line" );
      ASSERT_TRUE( terminal.waitFor( "half a line" ) ) << terminal.screen();
      EXPECT_TRUE( terminal.editing() ) << "the line editor has the terminal";
      terminal.signal( signal );
      EXPECT_EQ( terminal.end(), 128 + signal ) << terminal.screen();
      EXPECT_TRUE( terminal.lineMode() ) << "signal " << signal;
   }
}

} // namespace
