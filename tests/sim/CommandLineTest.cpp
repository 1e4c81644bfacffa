// The simulator as a process, the way scripts gate on it: what it reads and
// writes cannot fail unnoticed. Each case runs strata-agent-sim on files in a
// fresh directory and looks at the exit status and standard error.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string
contents( const fs::path & file ) {
   std::ifstream in( file, std::ios::binary );
   std::ostringstream text;
   text << in.rdbuf();
   return text.str();
}

void
write( const fs::path & file, const std::string & text ) {
   std::ofstream( file, std::ios::binary ) << text;
}

class CommandLine : public ::testing::Test {
 protected:
   void SetUp() override {
      std::string pattern = ( fs::temp_directory_path() / "strata-sim-XXXXXX" ).string();
      ASSERT_NE( ::mkdtemp( pattern.data() ), nullptr );
      dir_ = pattern;
   }
   void TearDown() override { fs::remove_all( dir_ ); }

   struct Ended {
      int status; // the exit status, or 128 + the signal that ended it
      std::string err;
   };
   // Runs the simulator with `args` ("{dir}" stands for the directory),
   // standard input from `input`, standard output to `output`.
   Ended run( std::vector< std::string > args, const std::string & input = "",
              const std::string & output = "/dev/null" ) {
      write( dir_ / "stdin", input );
      args.insert( args.begin(), STRATA_SIM_PATH );
      std::vector< char * > argv;
      for( std::string & arg : args ) {
         for( std::size_t at; ( at = arg.find( "{dir}" ) ) != std::string::npos; ) {
            arg.replace( at, 5, dir_.string() );
         }
         argv.push_back( arg.data() );
      }
      argv.push_back( nullptr );
      const std::string in = ( dir_ / "stdin" ).string();
      const std::string err = ( dir_ / "stderr" ).string();
      const pid_t child = ::fork();
      if( child == 0 ) {
         ::dup2( ::open( in.c_str(), O_RDONLY ), 0 );
         ::dup2( ::open( output.c_str(), O_WRONLY ), 1 );
         ::dup2( ::open( err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600 ), 2 );
         ::execv( argv[ 0 ], argv.data() );
         ::_exit( 127 );
      }
      int status = 0;
      ::waitpid( child, &status, 0 );
      return { WIFSIGNALED( status ) ? 128 + WTERMSIG( status ) : WEXITSTATUS( status ), contents( err ) };
   }

   fs::path dir_;
};

TEST_F( CommandLine, NothingUnreadableUnwritableOrUnknownEndsGreen ) {
   write( dir_ / "ok.scn", "expect sdk any 0\n" );
   const struct {
      std::vector< std::string > args;
      std::string input;
      std::string output;
      int status;
      std::string err; // what standard error must hold
   } cases[] = {
      { { "{dir}" }, "", "/dev/null", 2, "cannot read " + dir_.string() + ": it is a directory" },
      { { "/dev/zero" }, "", "/dev/null", 2, "/dev/zero:1: a line longer than 65536 bytes" },
      // Piped commands run as a file, whether or not '-' names them.
      { {}, "frobnicate\nexpect sdk any 0\n", "/dev/null", 2, "stdin:1: unknown command 'frobnicate'" },
      { {}, "expect sdk any 0\n", "/dev/null", 0, "" },
      { { "--record", "/dev/full", "{dir}/ok.scn" }, "", "/dev/null", 2,
        "cannot write the recording /dev/full: No space left on device" },
      { { "{dir}/ok.scn" }, "", "/dev/full", 2, "cannot write standard output: No space left on device" },
      { { "--trace", "ApiStrata=4;Bogus=1" }, "", "/dev/null", 2, "--trace: unknown trace handle 'Bogus'" },
      { { "--plugin", "", "{dir}/ok.scn" }, "", "/dev/null", 2, "--plugin needs a file name" },
      { { "--record", "", "{dir}/ok.scn" }, "", "/dev/null", 2, "--record needs a file name" },
      { { "--record", "{dir}/ok.scn", "{dir}/ok.scn" }, "", "/dev/null", 2, "is an input of this run" },
      { { "--record", "{dir}/stdin" }, "expect sdk any 0\n", "/dev/null", 2, "is an input of this run (stdin)" },
   };
   for( const auto & c : cases ) {
      const Ended ended = run( c.args, c.input, c.output );
      const std::string what = ::testing::PrintToString( c.args ) + " < " + c.input + " > " + c.output;
      EXPECT_EQ( ended.status, c.status ) << what << ": " << ended.err;
      EXPECT_NE( ended.err.find( c.err ), std::string::npos ) << what << ": " << ended.err;
   }
   EXPECT_EQ( contents( dir_ / "ok.scn" ), "expect sdk any 0\n" ) << "a refused recording truncates nothing";
}

TEST_F( CommandLine, TheRecordingOfARunTheAgentStoppedStopsThereToo ) {
   write( dir_ / "stop.scn", "unit 0 modinfo 0x100\nmodule 1 unit 0\nagent start\n"
                             "call slice 1 freeSrcTrunkIdx 0xFFFFFFFF\nexpect sdk any 0\n" );
   const int aborted = 128 + SIGABRT;
   EXPECT_EQ( run( { "--record", "{dir}/recorded.scn", "{dir}/stop.scn" } ).status, aborted );
   const std::string recorded = contents( dir_ / "recorded.scn" );
   EXPECT_NE( recorded.find( "stopped during this command" ), std::string::npos ) << recorded;
   const Ended replay = run( { "{dir}/recorded.scn" } );
   EXPECT_EQ( replay.status, aborted ) << recorded << replay.err;
   EXPECT_NE( replay.err.find( "Assertion `idx != Ferro::HBitmap::null()' failed" ), std::string::npos ) << replay.err;
}

} // namespace
