// libFuzzer target: arbitrary text into the LportTableFields parser. The
// parser must refuse with a parse error or accept a value that survives a
// round trip through its own text; anything else stops the run here, and
// a crash inside the parser is reported by the sanitizers.
#include "LportTableFieldsInput.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

extern "C" int
LLVMFuzzerTestOneInput( const std::uint8_t * data, std::size_t size ) {
   const std::string problem = FuzzCheck::lportTableFieldsProblem(
      std::string_view( reinterpret_cast< const char * >( data ), size ) );
   if( !problem.empty() ) {
      std::fprintf( stderr, "LportTableFields parser: %s\n", problem.c_str() );
      std::abort();
   }
   return 0;
}
