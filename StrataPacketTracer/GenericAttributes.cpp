#include "GenericAttributes.h"

namespace Strata::Generic {

void
throwFor( const std::string & op, const char * param, const std::string & detail ) {
   Quill::throwRangeException( op + ": parameter '" + param + "': " + detail );
}

void
countIs( const Quill::ValueList & args, std::size_t count, const std::string & op ) {
   if( args.size() != count ) {
      Quill::throwRangeException( op + ": takes " + std::to_string( count ) + " argument(s), got " +
                                  std::to_string( args.size() ) );
   }
}

} // namespace Strata::Generic
