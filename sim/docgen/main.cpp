// strata-sim-docs: writes the simulator's manual pages and bash completion,
// at build time, from the tables that give --help and `help`.
//
//    strata-sim-docs PAGE1 PAGE5 COMPLETION
//
// Not installed: what it writes is.
#include "commands/StandardCommands.h"
#include "host/Version.h"
#include "output/CompletionScript.h"
#include "output/ManualPages.h"
#include "session/CommandTable.h"

#include <fstream>
#include <iostream>

namespace {

bool
writeFile( const char * path, const std::string & text ) {
   std::ofstream out( path, std::ios::binary | std::ios::trunc );
   out << text;
   out.flush();
   if( !out ) {
      std::cerr << "strata-sim-docs: cannot write " << path << "\n";
      return false;
   }
   return true;
}

} // namespace

int
main( int argc, char ** argv ) {
   if( argc != 4 ) {
      std::cerr << "usage: strata-sim-docs PAGE1 PAGE5 COMPLETION\n";
      return 2;
   }
   const Sim::CommandTable table = Sim::standardCommands();
   const bool written = writeFile( argv[ 1 ], Sim::programManualPage( Sim::version() ) ) &&
                        writeFile( argv[ 2 ], Sim::languageManualPage( table, Sim::version() ) ) &&
                        writeFile( argv[ 3 ], Sim::bashCompletionScript() );
   return written ? 0 : 1;
}
