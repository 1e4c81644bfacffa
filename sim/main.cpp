// strata-agent-sim: the host program around the packet tracer plug-in.
//
//    strata-agent-sim [--quiet] [--trace SPEC] [--plugin PATH] [--record FILE] [FILE...]
//    strata-agent-sim --version | --help
//
// Runs each FILE in order in one agent process ("-" is standard input); with
// no FILE it runs standard input the same way, or, when that is a terminal,
// reads commands at a prompt with line editing, history and completion.
// --record FILE writes every command run as a scenario that replays to the
// same state. Output is coloured only on a terminal and without NO_COLOR.
// Exit status: 0 when every expectation held, 1 when one failed, 2 for a
// malformed line, unreadable input, output that could not be written or a
// usage error; an abort when the agent stops the process.
#include "AbortAction.h"
#include "CommandTable.h"
#include "Prompt.h"
#include "Quill/ActivityLock.h"
#include "Recorder.h"
#include "Runner.h"
#include "ScenarioError.h"
#include "Session.h"
#include "Simulator.h"
#include "Style.h"
#include "TraceCapture.h"
#include "Version.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Options {
   bool quiet = false;
   std::vector< std::string > traceSpecs;
   std::optional< std::string > plugin;
   std::optional< std::string > record;
   std::vector< std::string > files;
};

constexpr const char * usage =
   "usage: strata-agent-sim [--quiet] [--trace HANDLE=LEVELS[;...]] [--plugin PATH]\n"
   "                        [--record FILE] [SCENARIO...]\n"
   "       SCENARIO '-' reads standard input; none reads standard input, at a prompt\n"
   "       when it is a terminal ('help' lists the commands). --record FILE writes\n"
   "       the commands run as a scenario. --version prints the version.\n";

int
usageError( const std::string & what ) {
   std::cerr << "strata-agent-sim: " << Sim::printable( what ) << "\n" << usage;
   return 2;
}

std::optional< Options >
parseOptions( int argc, char ** argv ) {
   Options options;
   bool optionsDone = false;
   for( int i = 1; i < argc; ++i ) {
      const std::string arg = argv[ i ];
      if( optionsDone || arg == "-" || arg.empty() || arg[ 0 ] != '-' ) {
         options.files.push_back( arg );
      } else if( arg == "--" ) {
         optionsDone = true;
      } else if( arg == "--quiet" ) {
         options.quiet = true;
      } else if( arg == "--trace" || arg == "--plugin" || arg == "--record" ) {
         if( i + 1 >= argc ) {
            usageError( arg + " needs a value" );
            return std::nullopt;
         }
         const std::string value = argv[ ++i ];
         if( arg == "--trace" ) {
            options.traceSpecs.push_back( value );
            continue;
         }
         std::optional< std::string > & option = arg == "--plugin" ? options.plugin : options.record;
         if( value.empty() || option ) {
            usageError( arg + ( value.empty() ? " needs a file name" : " given twice" ) );
            return std::nullopt;
         }
         option = value;
      } else if( arg == "--help" || arg == "-h" ) {
         std::cout << usage;
         std::exit( 0 );
      } else if( arg == "--version" ) {
         std::cout << "strata-agent-sim " << Sim::version() << "\n";
         std::exit( 0 );
      } else {
         usageError( "unknown option " + arg );
         return std::nullopt;
      }
   }
   return options;
}

// Every handle with all levels on, then what --trace narrows.
bool
setUpTracing( const Options & options ) {
   Sim::traceAllLevelsOn();
   try {
      for( const std::string & spec : options.traceSpecs ) {
         Sim::applyTraceSpec( spec );
      }
   } catch( const Sim::ScenarioError & e ) {
      usageError( std::string( "--trace: " ) + e.what() );
      return false;
   }
   return true;
}

// A scenario to run: a file opened for reading, or standard input.
class Input {
 public:
   Input( std::string name, int fd, bool owned ) : name_( std::move( name ) ), fd_( fd ), owned_( owned ) {}
   Input( Input && other ) noexcept
         : name_( std::move( other.name_ ) ), fd_( other.fd_ ), owned_( std::exchange( other.owned_, false ) ) {}
   Input & operator=( Input && ) = delete;
   ~Input() {
      if( owned_ ) {
         ::close( fd_ );
      }
   }
   const std::string & name() const noexcept { return name_; }
   int fd() const noexcept { return fd_; }

 private:
   std::string name_;
   int fd_;
   bool owned_;
};

// Standard input is read whenever no file is named; it is typed at a
// terminal, or it is scenario text like any file.
bool
atPrompt( const Options & options ) {
   return options.files.empty() && ::isatty( STDIN_FILENO );
}

// Every input, opened before anything runs: one that cannot be read as a
// text file stops the run before it starts.
std::optional< std::vector< Input > >
openInputs( const Options & options ) {
   std::vector< Input > inputs;
   if( options.files.empty() ) {
      inputs.emplace_back( "stdin", STDIN_FILENO, false );
   }
   for( const std::string & file : options.files ) {
      if( file == "-" ) {
         inputs.emplace_back( "stdin", STDIN_FILENO, false );
         continue;
      }
      const int fd = ::open( file.c_str(), O_RDONLY | O_CLOEXEC );
      struct stat status {};
      if( fd < 0 || ( ::fstat( fd, &status ) == 0 && S_ISDIR( status.st_mode ) ) ) {
         const std::string reason = fd < 0 ? Sim::systemReason() : "it is a directory";
         if( fd >= 0 ) {
            ::close( fd );
         }
         std::cerr << "strata-agent-sim: cannot read " << Sim::printable( file ) << ": " << reason << "\n";
         return std::nullopt;
      }
      inputs.emplace_back( file, fd, true );
   }
   return inputs;
}

// The recording file and what writes it.
struct Recording {
   std::ofstream file;
   std::optional< Sim::Recorder > recorder;
};

std::string
commandLine( int argc, char ** argv ) {
   std::string text = "strata-agent-sim";
   for( int i = 1; i < argc; ++i ) {
      text += std::string( " " ) + argv[ i ];
   }
   return text;
}

// The --trace settings as the `trace` commands that do the same, for the
// recording (the settings were checked already).
std::vector< std::string >
traceCommands( const std::vector< std::string > & settings ) {
   std::vector< std::string > commands;
   for( const std::string & setting : settings ) {
      std::size_t start = 0;
      while( start <= setting.size() ) {
         std::size_t stop = setting.find( ';', start );
         stop = stop == std::string::npos ? setting.size() : stop;
         const std::string item = setting.substr( start, stop - start );
         const std::size_t equals = item.find( '=' );
         const std::string handle = item.substr( 0, equals );
         const bool quote = handle.find_first_of( " \t#\"\\" ) != std::string::npos;
         commands.push_back( Sim::commandText(
            { { "trace" }, { handle, quote }, { item.substr( equals + 1 ) } } ) );
         start = stop + 1;
      }
   }
   return commands;
}

// Opens --record's file, which must not be one of the inputs: it is
// truncated only now that the run is known to start.
bool
openRecording( const Options & options, const std::vector< Input > & inputs, int argc, char ** argv,
               Recording & recording ) {
   if( !options.record ) {
      return true;
   }
   const std::string & path = *options.record;
   struct stat target {};
   if( ::stat( path.c_str(), &target ) == 0 ) {
      for( const Input & input : inputs ) {
         struct stat read {};
         if( ::fstat( input.fd(), &read ) == 0 && read.st_dev == target.st_dev && read.st_ino == target.st_ino ) {
            usageError( "--record " + path + " is an input of this run (" + input.name() +
                        "); recording over it would destroy it" );
            return false;
         }
      }
   }
   recording.file.open( path, std::ios::out | std::ios::trunc );
   if( !recording.file ) {
      std::cerr << "strata-agent-sim: --record: cannot write " << Sim::printable( path ) << ": "
                << Sim::systemReason() << "\n";
      return false;
   }
   std::vector< std::string > notes{ "Recorded from: " + commandLine( argc, argv ) };
   if( options.plugin ) {
      notes.push_back( "The plug-in was " + *options.plugin + " (replay with --plugin)." );
   }
   try {
      recording.recorder.emplace( recording.file, path, notes, traceCommands( options.traceSpecs ) );
   } catch( const Sim::OutputError & e ) {
      std::cerr << "strata-agent-sim: " << e.what() << "\n";
      return false;
   }
   return true;
}

// The prompt at a terminal, drawn where a terminal shows it: standard
// output, or standard error when the output goes to a file.
void
runPrompt( Sim::Runner & runner, const Sim::CommandTable & table ) {
   std::FILE * display = ::isatty( STDOUT_FILENO ) ? stdout : ::isatty( STDERR_FILENO ) ? stderr : nullptr;
   if( !display ) {
      Sim::LineReader lines( STDIN_FILENO );
      Sim::PlainLineSource plain( lines, nullptr );
      runner.runInteractive( plain );
      return;
   }
   Sim::CompletionWords words{ table.commandWords(), {} };
   for( const char * first : { "show", "expect", "help" } ) {
      words.after[ first ] = table.wordsAfter( first );
   }
   std::fputs( "strata-agent-sim: 'help' lists the commands, Tab completes them, Ctrl-D quits.\n", display );
   Sim::Prompt prompt( std::move( words ), display );
   runner.runInteractive( prompt );
}

// Runs the inputs in order, or the prompt; a malformed line or unreadable
// input ends the run.
void
runInputs( const Options & options, std::vector< Input > & inputs, Sim::Runner & runner,
           const Sim::CommandTable & table ) {
   if( atPrompt( options ) ) {
      runPrompt( runner, table );
      return;
   }
   for( Input & input : inputs ) {
      Sim::LineReader lines( input.fd() );
      if( !runner.runFile( lines, input.name() ) ) {
         return;
      }
   }
}

// The session of this process: runs the inputs, prints the tally and stops
// the agent. Returns the exit status.
int
run( const Options & options, std::vector< Input > & inputs, Sim::Recorder * recorder ) {
   Sim::Simulator simulator( std::cout, std::cerr, options.quiet, options.plugin.value_or( "" ),
                             Sim::Style( Sim::colourWanted( STDOUT_FILENO ) ) );
   Sim::Runner & runner = simulator.runner();
   runner.recorderIs( recorder );
   int status = 2;
   try {
      runInputs( options, inputs, runner, simulator.table() );
      runner.finish();
      status = runner.exitStatus();
   } catch( const Sim::OutputError & e ) {
      std::cerr << "strata-agent-sim: " << e.what() << "\n";
   }
   simulator.stopAgent();
   return status;
}

} // namespace

int
main( int argc, char ** argv ) {
   const std::optional< Options > options = parseOptions( argc, argv );
   if( !options || !setUpTracing( *options ) ) {
      return 2;
   }
   std::optional< std::vector< Input > > inputs = openInputs( *options );
   Recording recording;
   if( !inputs || !openRecording( *options, *inputs, argc, argv, recording ) ) {
      return 2;
   }
   Sim::Recorder * recorder = recording.recorder ? &*recording.recorder : nullptr;
   // When the agent stops the process, what was printed and the command that
   // stopped it reach the reader first.
   const Sim::AbortAction stopping( [ recorder ] {
      std::cout.flush();
      std::fflush( stdout );
      if( recorder ) {
         recorder->processStopping();
      }
   } );
   return run( *options, *inputs, recorder );
}
