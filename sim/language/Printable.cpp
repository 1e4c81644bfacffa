#include "language/Printable.h"

#include <cstdio>

namespace Sim {

namespace {

bool
isContinuation( unsigned char byte ) noexcept {
   return ( byte & 0xC0 ) == 0x80;
}

} // namespace

std::size_t
utf8SequenceLength( std::string_view text ) noexcept {
   if( text.empty() ) {
      return 0;
   }
   const auto byte = [ & ]( std::size_t i ) { return static_cast< unsigned char >( text[ i ] ); };
   const unsigned char lead = byte( 0 );
   if( lead < 0x80 ) {
      return 1;
   }
   // The range the second byte must fall in is what rules out overlong
   // forms, surrogates and code points beyond U+10FFFF.
   std::size_t length = 0;
   unsigned char low = 0x80;
   unsigned char high = 0xBF;
   if( lead >= 0xC2 && lead <= 0xDF ) {
      length = 2;
   } else if( lead >= 0xE0 && lead <= 0xEF ) {
      length = 3;
      low = lead == 0xE0 ? 0xA0 : 0x80;
      high = lead == 0xED ? 0x9F : 0xBF;
   } else if( lead >= 0xF0 && lead <= 0xF4 ) {
      length = 4;
      low = lead == 0xF0 ? 0x90 : 0x80;
      high = lead == 0xF4 ? 0x8F : 0xBF;
   } else {
      return 0;
   }
   if( text.size() < length || byte( 1 ) < low || byte( 1 ) > high ) {
      return 0;
   }
   for( std::size_t i = 2; i < length; ++i ) {
      if( !isContinuation( byte( i ) ) ) {
         return 0;
      }
   }
   return length;
}

std::string
printable( std::string_view text ) {
   std::string shown;
   shown.reserve( text.size() );
   std::size_t at = 0;
   while( at < text.size() ) {
      const std::size_t length = utf8SequenceLength( text.substr( at ) );
      const auto byte = static_cast< unsigned char >( text[ at ] );
      // C1 controls (U+0080 to U+009F) steer terminals as C0 ones do.
      const bool c1 = length == 2 && byte == 0xC2 && static_cast< unsigned char >( text[ at + 1 ] ) < 0xA0;
      if( length == 0 || byte < 0x20 || byte == 0x7F || c1 ) {
         for( std::size_t i = 0; i < ( c1 ? 2 : 1 ); ++i ) {
            char escaped[ 5 ];
            std::snprintf( escaped, sizeof escaped, "\\x%02x", static_cast< unsigned char >( text[ at++ ] ) );
            shown += escaped;
         }
         continue;
      }
      shown.append( text, at, length );
      at += length;
   }
   return shown;
}

} // namespace Sim
