#include "Agent/ValueParsers.h"

#include "Quill/Exceptions.h"

#include <algorithm>
#include <charconv>

namespace AgentText {

namespace {

// An unsigned number, decimal or 0x hexadecimal, the whole text.
U64
parseUnsigned( const std::string & text, const char * what ) {
   const bool hex = text.size() > 2 && text[ 0 ] == '0' && ( text[ 1 ] == 'x' || text[ 1 ] == 'X' );
   const char * begin = text.data() + ( hex ? 2 : 0 );
   const char * end = text.data() + text.size();
   U64 value = 0;
   auto [ stop, error ] = std::from_chars( begin, end, value, hex ? 16 : 10 );
   if( text.empty() || error != std::errc() || stop != end ) {
      throw Quill::ParseException( std::string( "'" ) + text + "' is not " + what );
   }
   return value;
}

} // namespace

StrataTypes::StrataPort
parsePort( const std::string & text ) {
   const auto first = text.find( '/' );
   const auto second = first == std::string::npos ? first : text.find( '/', first + 1 );
   if( second == std::string::npos ) {
      throw Quill::ParseException( "'" + text + "' is not a port MOD/UNIT/PORT" );
   }
   StrataTypes::StrataPort port;
   port.modId = U16( parseUnsigned( text.substr( 0, first ), "a module id" ) );
   port.unit = U16( parseUnsigned( text.substr( first + 1, second - first - 1 ), "a unit" ) );
   const U64 number = parseUnsigned( text.substr( second + 1 ), "a port number" );
   if( number > 0x3FF ) {
      throw Quill::ParseException( "port number " + std::to_string( number ) + " in '" + text + "' is above 0x3ff" );
   }
   port.port = U16( number );
   return port;
}

Lumo::IntfId
parseIntf( const std::string & text ) {
   return Lumo::IntfId( text );
}

CfmSw::IntfVlanTuple
parseTuple( const std::string & text ) {
   std::string intf;
   std::string vlan;
   if( text.size() > 2 && text.front() == '(' && text.back() == ')' ) {
      const auto comma = text.rfind( ", " );
      if( comma == std::string::npos ) {
         throw Quill::ParseException( "'" + text + "' is not an interface and VLAN \"(INTF, VLAN)\"" );
      }
      intf = text.substr( 1, comma - 1 );
      vlan = text.substr( comma + 2, text.size() - comma - 3 );
   } else {
      const auto colon = text.rfind( ':' );
      if( colon == std::string::npos ) {
         throw Quill::ParseException( "'" + text + "' is not an interface and VLAN \"INTF:VLAN\"" );
      }
      intf = text.substr( 0, colon );
      vlan = text.substr( colon + 1 );
   }
   const U64 v = parseUnsigned( vlan, "a VLAN" );
   if( v > 0xFFFF ) {
      throw Quill::ParseException( "VLAN " + vlan + " does not fit 16 bits" );
   }
   return CfmSw::IntfVlanTuple( Lumo::IntfId( intf ), U16( v ) );
}

StrataCentral::ModId
parseModId( const std::string & text ) {
   const U64 value = parseUnsigned( text, "a module id" );
   return StrataCentral::ModId( unsigned( std::min< U64 >( value, 0xFFFFFFFFu ) ) );
}

PacketTracer::RequestId
parseRequestId( const std::string & text ) {
   const auto colon = text.rfind( ':' );
   if( colon == std::string::npos ) {
      throw Quill::ParseException( "'" + text + "' is not a request id NAME:NUMBER" );
   }
   const U64 number = parseUnsigned( text.substr( colon + 1 ), "a request number" );
   if( number > 0xFFFFFFFFu ) {
      throw Quill::ParseException( "request number in '" + text + "' does not fit 32 bits" );
   }
   return PacketTracer::RequestId{ text.substr( 0, colon ), U32( number ) };
}

} // namespace AgentText
