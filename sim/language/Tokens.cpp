#include "language/Tokens.h"

#include "language/ScenarioError.h"

#include <charconv>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

namespace Sim {

namespace {

std::string
quote( std::string_view text ) {
   return "'" + std::string( text ) + "'";
}

// The digits of an unsigned integer, decimal or 0x hexadecimal; nothing when
// the text is not one or does not fit 64 bits.
std::optional< U64 >
unsignedValue( std::string_view text ) noexcept {
   const bool hex = text.size() > 2 && text[ 0 ] == '0' && ( text[ 1 ] == 'x' || text[ 1 ] == 'X' );
   const std::string_view digits = hex ? text.substr( 2 ) : text;
   if( digits.empty() ) {
      return std::nullopt;
   }
   U64 value = 0;
   const char * end = digits.data() + digits.size();
   auto [ stop, error ] = std::from_chars( digits.data(), end, value, hex ? 16 : 10 );
   if( error != std::errc() || stop != end ) {
      return std::nullopt;
   }
   return value;
}

std::optional< double >
decimalValue( std::string_view text ) noexcept {
   if( text.empty() || text[ 0 ] == '+' ) {
      return std::nullopt;
   }
   double value = 0;
   const char * end = text.data() + text.size();
   auto [ stop, error ] = std::from_chars( text.data(), end, value, std::chars_format::general );
   if( error != std::errc() || stop != end || !std::isfinite( value ) ) {
      return std::nullopt;
   }
   return value;
}

std::vector< std::string_view >
split( std::string_view text, char separator ) {
   std::vector< std::string_view > parts;
   std::size_t start = 0;
   for( ;; ) {
      const std::size_t at = text.find( separator, start );
      parts.push_back( text.substr( start, at == std::string_view::npos ? at : at - start ) );
      if( at == std::string_view::npos ) {
         return parts;
      }
      start = at + 1;
   }
}

} // namespace

U64
parseUnsigned( std::string_view text, const std::string & what, U64 max ) {
   const std::optional< U64 > value = unsignedValue( text );
   if( !value ) {
      throw ScenarioError( what + ": " + quote( text ) + " is not an integer (decimal or 0x hexadecimal)" );
   }
   if( *value > max ) {
      throw ScenarioError( what + ": " + std::string( text ) + " is out of range (0 to " + std::to_string( max ) +
                           ")" );
   }
   return *value;
}

std::int64_t
parseSigned( std::string_view text, const std::string & what ) {
   const bool negative = !text.empty() && text[ 0 ] == '-';
   const std::optional< U64 > magnitude = unsignedValue( negative ? text.substr( 1 ) : text );
   if( !magnitude ) {
      throw ScenarioError( what + ": " + quote( text ) + " is not an integer (decimal or 0x hexadecimal)" );
   }
   const U64 limit = negative ? U64( std::numeric_limits< std::int64_t >::max() ) + 1
                              : U64( std::numeric_limits< std::int64_t >::max() );
   if( *magnitude > limit ) {
      throw ScenarioError( what + ": " + std::string( text ) + " does not fit 64 bits" );
   }
   return negative ? std::int64_t( U64( 0 ) - *magnitude ) : std::int64_t( *magnitude );
}

double
parseSeconds( std::string_view text, const std::string & what ) {
   const std::optional< double > value = decimalValue( text );
   if( !value || *value < 0 ) {
      throw ScenarioError( what + ": " + quote( text ) + " is not a non-negative number of seconds" );
   }
   return *value;
}

bool
parseBool( std::string_view text, const std::string & what ) {
   if( text == "true" ) {
      return true;
   }
   if( text == "false" ) {
      return false;
   }
   throw ScenarioError( what + ": " + quote( text ) + " is not a boolean (true or false)" );
}

bool
parseOnOff( const Token & token, const std::string & what ) {
   if( !token.is( "on" ) && !token.is( "off" ) ) {
      throw ScenarioError( what + ": " + quote( token.text ) + " is not on or off" );
   }
   return token.is( "on" );
}

bool
looksLikePort( std::string_view text ) noexcept {
   const std::vector< std::string_view > parts = split( text, '/' );
   if( parts.size() != 3 ) {
      return false;
   }
   for( std::string_view part : parts ) {
      if( !unsignedValue( part ) ) {
         return false;
      }
   }
   return true;
}

StrataTypes::StrataPort
parsePort( std::string_view text, const std::string & what ) {
   const std::vector< std::string_view > parts = split( text, '/' );
   if( parts.size() != 3 ) {
      throw ScenarioError( what + ": " + quote( text ) + " is not a port MOD/UNIT/PORT" );
   }
   StrataTypes::StrataPort port;
   port.modId = U16( parseUnsigned( parts[ 0 ], what + " module id", 0xFFFF ) );
   port.unit = U16( parseUnsigned( parts[ 1 ], what + " unit", 0xFFFF ) );
   port.port = U16( parseUnsigned( parts[ 2 ], what + " port number", 0x3FF ) );
   return port;
}

std::string
requestIdText( const PacketTracer::RequestId & id ) {
   std::ostringstream text;
   text << id;
   return text.str();
}

PacketTracer::RequestId
parseRequestId( std::string_view text, const std::string & what ) {
   const std::size_t colon = text.rfind( ':' );
   if( colon == std::string_view::npos ) {
      throw ScenarioError( what + ": " + quote( text ) + " is not a request id NAME:NUMBER" );
   }
   PacketTracer::RequestId id;
   id.name = std::string( text.substr( 0, colon ) );
   id.number = U32( parseUnsigned( text.substr( colon + 1 ), what + " number", 0xFFFFFFFFu ) );
   return id;
}

U16
parseTraceLevels( std::string_view text ) {
   if( text == "all" ) {
      return 0xFFFF;
   }
   if( text == "none" ) {
      return 0;
   }
   U16 mask = 0;
   for( std::string_view level : split( text, ',' ) ) {
      mask = U16( mask | ( 1u << parseUnsigned( level, "trace level", 15 ) ) );
   }
   return mask;
}

std::optional< Quill::Value >
numberValue( std::string_view text ) {
   if( const std::optional< U64 > u = unsignedValue( text ) ) {
      return Quill::Value( *u );
   }
   if( !text.empty() && text[ 0 ] == '-' ) {
      if( const std::optional< U64 > magnitude = unsignedValue( text.substr( 1 ) ) ) {
         if( *magnitude <= U64( std::numeric_limits< std::int64_t >::max() ) ) {
            return Quill::Value( -std::int64_t( *magnitude ) );
         }
      }
   }
   if( const std::optional< double > d = decimalValue( text ) ) {
      return Quill::Value( *d );
   }
   return std::nullopt;
}

} // namespace Sim
