// strata-agent-sim: the host program around the packet tracer plug-in.
//
//    strata-agent-sim [--quiet] [--trace SPEC] [--plugin PATH] [--record FILE] [FILE...]
//    strata-agent-sim --version | --help
//
// Runs each FILE in order in one agent process ("-" is standard input); with
// no FILE it reads commands interactively (with line editing, history and
// completion when standard input and output are terminals). --record FILE writes every
// command run as a scenario that replays to the same state. Output is
// coloured only on a terminal and without NO_COLOR. Exit status: 0 when every
// expectation held, 1 when one failed, 2 for a malformed line or a usage
// error.
#include "CommandTable.h"
#include "Quill/ActivityLock.h"
#include "Recorder.h"
#include "Runner.h"
#include "ScenarioError.h"
#include "Session.h"
#include "Shim/SimChip.h"
#include "Style.h"
#include "TerminalInput.h"
#include "TraceCapture.h"
#include "Version.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Options {
   bool quiet = false;
   std::vector< std::string > traceSpecs;
   std::string plugin;
   std::string record;
   std::vector< std::string > files;
};

constexpr const char * usage =
   "usage: strata-agent-sim [--quiet] [--trace HANDLE=LEVELS[;...]] [--plugin PATH]\n"
   "                        [--record FILE] [SCENARIO...]\n"
   "       SCENARIO '-' reads standard input; none reads commands interactively\n"
   "       ('help' lists them). --record FILE writes the commands run as a scenario.\n"
   "       --version prints the version.\n";

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
            std::cerr << "strata-agent-sim: " << arg << " needs a value\n" << usage;
            return std::nullopt;
         }
         std::string & value = arg == "--trace"    ? options.traceSpecs.emplace_back()
                               : arg == "--plugin" ? options.plugin
                                                   : options.record;
         value = argv[ ++i ];
      } else if( arg == "--help" || arg == "-h" ) {
         std::cout << usage;
         std::exit( 0 );
      } else if( arg == "--version" ) {
         std::cout << "strata-agent-sim " << Sim::version() << "\n";
         std::exit( 0 );
      } else {
         std::cerr << "strata-agent-sim: unknown option " << arg << "\n" << usage;
         return std::nullopt;
      }
   }
   return options;
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

std::string
commandLine( int argc, char ** argv ) {
   std::string text;
   for( int i = 0; i < argc; ++i ) {
      text += ( i ? " " : "" ) + std::string( i ? argv[ i ] : "strata-agent-sim" );
   }
   return text;
}

} // namespace

int
main( int argc, char ** argv ) {
   const std::optional< Options > options = parseOptions( argc, argv );
   if( !options ) {
      return 2;
   }
   // Every trace handle starts with all levels on; --trace then narrows.
   Sim::traceAllLevelsOn();
   try {
      for( const std::string & spec : options->traceSpecs ) {
         Sim::applyTraceSpec( spec );
      }
   } catch( const Sim::ScenarioError & e ) {
      std::cerr << "strata-agent-sim: --trace: " << e.what() << "\n" << usage;
      return 2;
   }
   for( const std::string & file : options->files ) {
      if( file != "-" && !std::ifstream( file ) ) {
         std::cerr << "strata-agent-sim: cannot open " << file << "\n";
         return 2;
      }
   }
   std::ofstream recordFile;
   std::optional< Sim::Recorder > recorder;
   if( !options->record.empty() ) {
      recordFile.open( options->record, std::ios::out | std::ios::trunc );
      if( !recordFile ) {
         std::cerr << "strata-agent-sim: --record: cannot write " << options->record << "\n";
         return 2;
      }
      std::vector< std::string > notes{ "Recorded from: " + commandLine( argc, argv ) };
      if( !options->plugin.empty() ) {
         notes.push_back( "The plug-in was " + options->plugin + " (replay with --plugin)." );
      }
      recorder.emplace( recordFile, notes, traceCommands( options->traceSpecs ) );
   }
   // A failed checked SDK call stops the process: what was printed so far,
   // and the command that stopped it, must reach the reader first.
   Shim::simChip().failureHookIs( [ &recorder ] {
      std::cout.flush();
      std::fflush( stdout );
      if( recorder ) {
         recorder->processStopping();
      }
   } );

   Sim::PluginLoader loader( options->plugin );
   int status = 0;
   {
      Sim::Session session( std::cout, std::cerr, options->quiet, loader,
                            Sim::Style( Sim::colourWanted( STDOUT_FILENO ) ) );
      const Sim::CommandTable table = Sim::standardCommands();
      Sim::Runner runner( session, table );
      runner.recorderIs( recorder ? &*recorder : nullptr );
      // The line editor draws on standard output: with output going to a
      // file, typed lines are read plainly and the prompt goes to a
      // terminal's standard error, if any.
      const bool typed = options->files.empty() && ::isatty( STDIN_FILENO );
      if( typed && ::isatty( STDOUT_FILENO ) ) {
         Sim::CompletionWords words{ table.commandWords(), {} };
         for( const char * first : { "show", "expect", "help" } ) {
            words.after[ first ] = table.wordsAfter( first );
         }
         std::cout << "strata-agent-sim: 'help' lists the commands, Tab completes them, "
                      "Ctrl-D quits.\n"
                   << std::flush;
         Sim::TerminalInput input( STDIN_FILENO, STDOUT_FILENO, std::move( words ),
                                   Sim::promptText );
         runner.runInteractive( input );
      } else if( options->files.empty() ) {
         Sim::StreamLineSource lines( std::cin,
                                      typed && ::isatty( STDERR_FILENO ) ? &std::cerr : nullptr );
         runner.runInteractive( lines );
      }
      for( const std::string & file : options->files ) {
         if( file == "-" ) {
            if( !runner.runFile( std::cin, "stdin" ) ) {
               break;
            }
            continue;
         }
         std::ifstream in( file );
         if( !runner.runFile( in, file ) ) {
            break;
         }
      }
      runner.finish();
      status = runner.exitStatus();
      // The agent shuts down with the session, on the activity thread.
      std::lock_guard activity( Quill::activityLock() );
      if( session.host.started() ) {
         session.host.stop();
      }
   }
   return status;
}
