// strata-agent-sim: the host program around the packet tracer plug-in.
//
//    strata-agent-sim [OPTION...] [SCENARIO...]
//
// Runs each SCENARIO in order in one agent process ("-" is standard input);
// with none it runs standard input the same way, or, when that is a terminal,
// reads commands at a prompt with line editing, history and completion. The
// options and exit statuses are documented once, in Usage.h, for --help, the
// manual page and the shell completion alike. Output is coloured only on a
// terminal and without NO_COLOR.
#include "Quill/ActivityLock.h"
#include "Simulator.h"
#include "host/Version.h"
#include "language/ScenarioError.h"
#include "output/AbortAction.h"
#include "output/JUnitReport.h"
#include "output/OutputFiles.h"
#include "output/Timeline.h"
#include "output/Usage.h"
#include "session/CommandTable.h"
#include "session/Recorder.h"
#include "session/Runner.h"
#include "session/Session.h"
#include "session/Style.h"
#include "session/TraceCapture.h"
#include "terminal/Prompt.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
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
   // The files written beside standard output, by option: --record, --junit,
   // --timeline.
   std::map< std::string, std::string > outputs;
   std::vector< std::string > files;
};

int
usageError( const std::string & what ) {
   std::cerr << "strata-agent-sim: " << Sim::printable( what ) << "\n"
             << "(strata-agent-sim --help lists the options)\n";
   return 2;
}

// Whether `arg` is one of the documented options that take a value.
bool
takesValue( const std::string & arg ) {
   for( const Sim::OptionDoc & option : Sim::commandLineOptions ) {
      if( arg == option.name && *option.value ) {
         return true;
      }
   }
   return false;
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
      } else if( takesValue( arg ) ) {
         if( i + 1 >= argc ) {
            usageError( arg + " needs a value" );
            return std::nullopt;
         }
         const std::string value = argv[ ++i ];
         if( arg == "--trace" ) {
            options.traceSpecs.push_back( value );
            continue;
         }
         const bool given = arg == "--plugin" ? bool( options.plugin ) : options.outputs.count( arg ) != 0;
         if( value.empty() || given ) {
            usageError( arg + ( value.empty() ? " needs a file name" : " given twice" ) );
            return std::nullopt;
         }
         if( arg == "--plugin" ) {
            options.plugin = value;
         } else {
            options.outputs[ arg ] = value;
         }
      } else if( arg == "--help" || arg == "-h" ) {
         std::cout << Sim::usageText();
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
         commands.push_back( Sim::commandText( { { "trace" }, { handle, quote }, { item.substr( equals + 1 ) } } ) );
         start = stop + 1;
      }
   }
   return commands;
}

// Checks and opens the files written beside standard output before anything
// runs (OutputFiles.h).
bool
openOutputs( const Options & options, const std::vector< Input > & inputs, Sim::OutputFiles & outputs ) {
   std::vector< Sim::OutputFiles::Input > read;
   for( const Input & input : inputs ) {
      read.push_back( { input.name(), input.fd() } );
   }
   for( const auto & [ option, path ] : options.outputs ) {
      outputs.add( option, path );
   }
   if( const std::optional< std::string > refused = outputs.open( read ) ) {
      usageError( *refused );
      return false;
   }
   return true;
}

// The recording's header, written now that the run is known to start.
bool
startRecording( const Options & options, Sim::OutputFiles & outputs, int argc, char ** argv,
                std::optional< Sim::Recorder > & recorder ) {
   std::ofstream * file = outputs.file( "--record" );
   if( !file ) {
      return true;
   }
   std::vector< std::string > notes{ "Recorded from: " + commandLine( argc, argv ) };
   if( options.plugin ) {
      notes.push_back( "The plug-in was " + *options.plugin + " (replay with --plugin)." );
   }
   try {
      recorder.emplace( *file, outputs.path( "--record" ), notes, traceCommands( options.traceSpecs ) );
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

// The reports written beside the output (--junit, --timeline), listening to
// the session while they live; the timeline must go before the simulator.
class Reports {
 public:
   Reports( Sim::Simulator & simulator, Sim::OutputFiles & outputs ) : session_( simulator.session() ) {
      if( std::ofstream * file = outputs.file( "--junit" ) ) {
         junit_.emplace( *file, outputs.path( "--junit" ) );
         session_.listeners.add( &*junit_ );
      }
      if( std::ofstream * file = outputs.file( "--timeline" ) ) {
         timeline_.emplace( session_, *file, outputs.path( "--timeline" ) );
         session_.listeners.add( &*timeline_ );
      }
   }
   ~Reports() {
      session_.listeners.remove( junit_ ? &*junit_ : nullptr );
      session_.listeners.remove( timeline_ ? &*timeline_ : nullptr );
   }
   Reports( const Reports & ) = delete;
   Reports & operator=( const Reports & ) = delete;

   // Writes each; throws OutputError.
   void write() {
      if( junit_ ) {
         junit_->write();
      }
      if( timeline_ ) {
         timeline_->write();
      }
   }

 private:
   Sim::Session & session_;
   std::optional< Sim::JUnitReport > junit_;
   std::optional< Sim::Timeline > timeline_;
};

// The session of this process: runs the inputs, prints the tally, stops the
// agent and writes the reports. Returns the exit status.
int
run( const Options & options, std::vector< Input > & inputs, Sim::OutputFiles & outputs, Sim::Recorder * recorder ) {
   Sim::Simulator simulator( std::cout, std::cerr, options.quiet, options.plugin.value_or( "" ),
                             Sim::Style( Sim::colourWanted( STDOUT_FILENO ) ) );
   Sim::Runner & runner = simulator.runner();
   runner.recorderIs( recorder );
   Reports reports( simulator, outputs );
   // When the agent stops the process, what was printed, the command that
   // stopped it and the reports so far reach the reader first.
   const Sim::AbortAction stopping( [ &simulator, recorder ] {
      std::cout.flush();
      std::fflush( stdout );
      if( recorder ) {
         recorder->processStopping();
      }
      simulator.session().listeners.tell( []( Sim::RunListener & l ) { l.processStopping(); } );
   } );
   int status = 2;
   try {
      runInputs( options, inputs, runner, simulator.table() );
      runner.finish();
      status = runner.exitStatus();
   } catch( const Sim::OutputError & e ) {
      std::cerr << "strata-agent-sim: " << e.what() << "\n";
   }
   simulator.stopAgent();
   try {
      reports.write();
   } catch( const Sim::OutputError & e ) {
      std::cerr << "strata-agent-sim: " << e.what() << "\n";
      status = 2;
   }
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
   Sim::OutputFiles outputs;
   std::optional< Sim::Recorder > recorder;
   if( !inputs || !openOutputs( *options, *inputs, outputs ) ||
       !startRecording( *options, outputs, argc, argv, recorder ) ) {
      return 2;
   }
   return run( *options, *inputs, outputs, recorder ? &*recorder : nullptr );
}
