#include "Agent/StrataTypes.h"

#include "Quill/Exceptions.h"

namespace StrataCentral {

ModId::ModId( unsigned value ) {
   if( value > null ) {
      Quill::throwRangeException(
         "StrataCentral::ModId::value < StrataCentral::ModId::min or > StrataCentral::ModId::null not allowed" );
   }
   value_ = static_cast< U16 >( value );
}

U10::U10( unsigned value ) {
   if( value > max ) {
      Quill::throwRangeException( "U10::value < 0 or > 0x03ff not allowed" );
   }
   value_ = static_cast< U16 >( value );
}

} // namespace StrataCentral

namespace StrataTypes {

std::ostream &
operator<<( std::ostream & out, const StrataPort & port ) {
   return out << port.modId << "/" << port.unit << "/" << port.port;
}

} // namespace StrataTypes
