#include "commands/TraceWhere.h"

#include "language/KnownNames.h"
#include "language/Tokens.h"

namespace Sim {

std::string
traceWhere( Args & args, TraceFilter & filter, const std::string & command, bool withText ) {
   bool levelsGiven = false;
   std::string described;
   for( ;; ) {
      if( args.accept( "handle" ) ) {
         onlyOnce( filter.handle.has_value(), command, "handle" );
         filter.handle = args.next( "trace handle" );
         requireTraceHandle( *filter.handle );
         described += " handle " + *filter.handle;
      } else if( args.accept( "level" ) ) {
         onlyOnce( levelsGiven, command, "level" );
         levelsGiven = true;
         const std::string levels = args.next( "levels (0,4,8 | all | none)" );
         filter.levels = parseTraceLevels( levels );
         described += " level " + levels;
      } else if( withText && args.accept( "text" ) ) {
         onlyOnce( filter.text.has_value(), command, "text" );
         filter.text = args.next( "text to look for" );
         described += " text \"" + *filter.text + "\"";
      } else {
         return described;
      }
   }
}

} // namespace Sim
