// libFuzzer target: arbitrary text into the LportTableFields parser. The
// parser may refuse the text with a parse error; a value it accepts must
// print to a text that parses back to the same value. Anything else stops
// the run: an exception of another kind, or any exception from parsing the
// printed text, escapes and ends the process with its message; a crash
// inside the parser is reported by the sanitizers.
#include "KeptInput.h"
#include "LportTableFields.h"
#include "Quill/Exceptions.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int
LLVMFuzzerTestOneInput( const std::uint8_t * data, std::size_t size ) {
   Strata::LportTableFields parsed;
   try {
      parsed = Strata::LportTableFields::strepToValue(
         Vela::String( std::string_view( reinterpret_cast< const char * >( data ), size ) ) );
   } catch( const Quill::ParseException & ) {
      return 0; // refusing the text is the parser's right
   }
   const Vela::String printed = parsed.valueToStrep();
   if( !( Strata::LportTableFields::strepToValue( printed ) == parsed ) ) {
      std::fprintf( stderr, "LportTableFields parser: the value read back from its own text differs: %s\n",
                    printed.c_str() );
      std::abort();
   }
   return 0;
}

std::string
FuzzCheck::keptInputRefusal( std::string_view input ) {
   try {
      Strata::LportTableFields::strepToValue( Vela::String( input ) );
   } catch( const Quill::ParseException & error ) {
      return error.what();
   }
   return {};
}
