// The simulator as a process, the way scripts gate on it: what it reads and
// writes cannot fail unnoticed. Each case runs strata-agent-sim on files in a
// fresh directory and looks at the exit status and standard error.
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <csignal>
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
   Ended run( const std::vector< std::string > & args, const std::string & input = "",
              const std::string & output = "/dev/null" ) {
      std::ofstream( dir_ / "stdin", std::ios::binary ) << input;
      std::string command = STRATA_SIM_PATH;
      for( std::string arg : args ) {
         for( std::size_t at; ( at = arg.find( "{dir}" ) ) != std::string::npos; ) {
            arg.replace( at, 5, dir_.string() );
         }
         command += " '" + arg + "'"; // no argument holds a quote
      }
      command += " <" + ( dir_ / "stdin" ).string() + " >" + output + " 2>" + ( dir_ / "stderr" ).string();
      // The shell either ends as its command did or reports its signal as 128 + N.
      const int status = std::system( command.c_str() );
      return { WIFSIGNALED( status ) ? 128 + WTERMSIG( status ) : WEXITSTATUS( status ), contents( dir_ / "stderr" ) };
   }

   fs::path dir_;
};

TEST_F( CommandLine, NothingUnreadableUnwritableOrUnknownEndsGreen ) {
   std::ofstream( dir_ / "ok.scn" ) << "expect sdk any 0\n";
   std::ofstream( dir_ / "stop.scn" ) << "unit 0 modinfo 0x100\nmodule 1 unit 0\nagent start\n"
                                         "call slice 1 freeSrcTrunkIdx 0xFFFFFFFF\nexpect sdk any 0\n";
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
      { { "--record", "/dev/full", "{dir}/ok.scn" },
        "",
        "/dev/null",
        2,
        "cannot write the recording /dev/full: No space left on device" },
      { { "{dir}/ok.scn" }, "", "/dev/full", 2, "cannot write standard output: No space left on device" },
      { { "--trace", "ApiStrata=4;Bogus=1" }, "", "/dev/null", 2, "--trace: unknown trace handle 'Bogus'" },
      { { "--plugin", "", "{dir}/ok.scn" }, "", "/dev/null", 2, "--plugin needs a file name" },
      { { "--record", "", "{dir}/ok.scn" }, "", "/dev/null", 2, "--record needs a file name" },
      { { "--record", "{dir}/ok.scn", "{dir}/ok.scn" }, "", "/dev/null", 2, "is an input of this run" },
      { { "--record", "{dir}/stdin" }, "expect sdk any 0\n", "/dev/null", 2, "is an input of this run (stdin)" },
      // The reports are refused before anything runs, as the recording is.
      { { "--timeline", "{dir}/ok.scn", "{dir}/ok.scn" },
        "",
        "/dev/null",
        2,
        "--timeline " + dir_.string() + "/ok.scn is an input of this run" },
      { { "--junit", "{dir}/r.out", "--timeline", "{dir}/./r.out", "{dir}/ok.scn" },
        "",
        "/dev/null",
        2,
        "--junit " + dir_.string() + "/r.out is also the file of --timeline" },
      { { "--junit", "{dir}/missing/r.xml", "{dir}/ok.scn" },
        "",
        "/dev/null",
        2,
        "--junit: cannot write " + dir_.string() + "/missing/r.xml: No such file or directory" },
      { { "--junit", "/dev/full", "{dir}/ok.scn" },
        "",
        "/dev/null",
        2,
        "cannot write the JUnit report /dev/full: No space left on device" },
      { { "--timeline", "/dev/full", "{dir}/ok.scn" },
        "",
        "/dev/null",
        2,
        "cannot write the timeline /dev/full: No space left on device" },
      // A run the agent stopped: its recording stops there too, and so does
      // the replay of that recording (the case before this one made it).
      { { "--record", "{dir}/recorded.scn", "{dir}/stop.scn" }, "", "/dev/null", 128 + SIGABRT, "" },
      { { "{dir}/recorded.scn" }, "", "/dev/null", 128 + SIGABRT, "Assertion `idx != Ferro::HBitmap::null()' failed" },
   };
   for( const auto & c : cases ) {
      const Ended ended = run( c.args, c.input, c.output );
      const std::string what = ::testing::PrintToString( c.args ) + " < " + c.input + " > " + c.output;
      EXPECT_EQ( ended.status, c.status ) << what << ": " << ended.err;
      EXPECT_NE( ended.err.find( c.err ), std::string::npos ) << what << ": " << ended.err;
   }
   EXPECT_EQ( contents( dir_ / "ok.scn" ), "expect sdk any 0\n" ) << "a refused recording truncates nothing";
   EXPECT_NE( contents( dir_ / "recorded.scn" ).find( "stopped during this command" ), std::string::npos );
}

} // namespace
