#include "LportTableFieldsInput.h"

#include "LportTableFields.h"
#include "Quill/Exceptions.h"

#include <exception>

namespace FuzzCheck {

std::string
lportTableFieldsProblem( std::string_view text ) {
   Strata::LportTableFields parsed;
   try {
      parsed = Strata::LportTableFields::strepToValue( Vela::String( text ) );
   } catch( const Quill::ParseException & ) {
      return ""; // refusing the text is the parser's right
   } catch( const std::exception & e ) {
      return std::string( "the parser threw something other than a parse error: " ) + e.what();
   } catch( ... ) {
      return "the parser threw an exception of unknown type";
   }
   const Vela::String printed = parsed.valueToStrep();
   try {
      if( !( Strata::LportTableFields::strepToValue( printed ) == parsed ) ) {
         return "the value read back from its own text differs: " + printed;
      }
   } catch( const std::exception & e ) {
      return "the text of an accepted value does not parse: " + printed + ": " + e.what();
   }
   return "";
}

} // namespace FuzzCheck
