// strata-agent-sim: the host program around the packet tracer plug-in.
//
//    strata-agent-sim [--quiet] [--trace SPEC] [--plugin PATH] [FILE...]
//
// Runs each FILE in order in one agent process ("-" is standard input); with
// no FILE it reads commands interactively. Exit status: 0 when every
// expectation held, 1 when one failed, 2 for a malformed line or a usage
// error.
#include "CommandTable.h"
#include "Quill/ActivityLock.h"
#include "Runner.h"
#include "ScenarioError.h"
#include "Session.h"
#include "Shim/SimChip.h"
#include "TraceCapture.h"

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
   std::vector< std::string > files;
};

constexpr const char * usage =
   "usage: strata-agent-sim [--quiet] [--trace HANDLE=LEVELS[;...]] [--plugin PATH] [FILE...]\n"
   "       FILE '-' reads standard input; no FILE reads commands interactively.\n";

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
      } else if( arg == "--trace" || arg == "--plugin" ) {
         if( i + 1 >= argc ) {
            std::cerr << "strata-agent-sim: " << arg << " needs a value\n" << usage;
            return std::nullopt;
         }
         ( arg == "--trace" ? options.traceSpecs.emplace_back() : options.plugin ) = argv[ ++i ];
      } else if( arg == "--help" || arg == "-h" ) {
         std::cout << usage;
         std::exit( 0 );
      } else {
         std::cerr << "strata-agent-sim: unknown option " << arg << "\n" << usage;
         return std::nullopt;
      }
   }
   return options;
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
   // A failed checked SDK call stops the process: what was printed so far must
   // reach the reader first.
   Shim::simChip().failureHookIs( [] {
      std::cout.flush();
      std::fflush( stdout );
   } );

   for( const std::string & file : options->files ) {
      if( file != "-" && !std::ifstream( file ) ) {
         std::cerr << "strata-agent-sim: cannot open " << file << "\n";
         return 2;
      }
   }

   Sim::PluginLoader loader( options->plugin );
   int status = 0;
   {
      Sim::Session session( std::cout, std::cerr, options->quiet, loader );
      const Sim::CommandTable table = Sim::standardCommands();
      Sim::Runner runner( session, table );
      if( options->files.empty() ) {
         runner.runInteractive( std::cin, ::isatty( STDIN_FILENO ) != 0 );
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
