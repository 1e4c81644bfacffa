#include "Universe.h"

#include <sstream>

namespace ModelTest {

namespace {
Port
chipPort( U16 modId, U16 number ) {
   return Port{ modId, chipUnit, number, 0 };
}
} // namespace

Universe::Universe() {
   interfaces_ = {
      { "Ethernet1", chipPort( 1, 3 ) },   { "Ethernet2", chipPort( 2, 3 ) },
      { "Ethernet3", chipPort( 1, 4 ) },   { "Ethernet4", chipPort( 2, 6 ) },
      { "Ethernet5", chipPort( 1, 200 ) }, { "Loopback0", std::nullopt },
      { "Port-Channel1", std::nullopt },   { "Port-Channel2", std::nullopt },
   };
   for( const InterfaceDef & def : interfaces_ ) {
      if( def.port ) {
         ports_.push_back( *def.port );
      }
   }
   ports_.push_back( chipPort( 1, 9 ) );
}

std::vector< std::string >
Universe::addableInterfaces() const {
   std::vector< std::string > names;
   for( const InterfaceDef & def : interfaces_ ) {
      names.push_back( def.name );
   }
   return names;
}

std::vector< std::string >
Universe::nameableInterfaces() const {
   std::vector< std::string > names = addableInterfaces();
   names.push_back( "Ethernet99" );
   return names;
}

std::optional< Port >
Universe::portOf( const std::string & intf ) const {
   for( const InterfaceDef & def : interfaces_ ) {
      if( def.name == intf ) {
         return def.port;
      }
   }
   return std::nullopt;
}

FieldValues
Universe::portTab( U16 portNumber ) const {
   // Distinct per port, with flag values 2 and 3 among them (a flag is true
   // whenever its field is non-zero) and wide values in the two integer
   // fields, so that a field copied from the wrong place or not normalised
   // shows up.
   FieldValues fields;
   const std::vector< std::string > & names = tracerFieldNames();
   for( std::size_t i = 0; i < tracerFlagCount; ++i ) {
      const U32 value = ( portNumber * 7u + U32( i ) * 3u ) % 4u;
      if( value ) {
         fields[ names[ i ] ] = value;
      }
   }
   fields[ "portVid" ] = ( portNumber * 37u + 5u ) & 0xFFFu;
   fields[ "outerTpidEnable" ] = 1u + portNumber % 15u;
   return fields;
}

std::map< int, FieldValues >
Universe::lportTabPresets() const {
   // A field no client touches, in the tracer's entry (its read-modify-write
   // must keep it) and in an entry nobody uses.
   return { { int( tracerProfileIdx ), { { "spare", 0x5A5A } } }, { 2, { { "spare", 0x1234 } } } };
}

const std::vector< std::string > &
tracerFieldNames() {
   static const std::vector< std::string > names{
      "vfpEnable",       "v4L3Enable",   "v6L3Enable",          "v6IpmcEnable", "v4IpmcEnable",
      "usePortTableGroupId", "trustIncomingVid", "trustDscpV4", "trustDscpV6", "parity",
      "mplsEnable",      "ipmcDoVlan",   "filterEnable",        "enIfilter",    "disableStaticMoveDrop",
      "portVid",         "outerTpidEnable",
   };
   return names;
}

const std::vector< std::string > &
cfmProfileFieldNames() {
   static const std::vector< std::string > names{
      "vfpEnable", "cfmOnly",         "usePortTableGroupId", "trustIncomingVid",     "parity",
      "outerTpidEnable", "filterEnable", "enIfilter",        "disableStaticMoveDrop",
   };
   return names;
}

std::string
portText( const Port & port ) {
   std::ostringstream text;
   text << port.modId << "/" << port.unit << "/" << port.port;
   return text.str();
}

} // namespace ModelTest
