#include "Quill/Format.h"

#include <cstdarg>
#include <cstdio>

namespace Quill {

Vela::String
_fmt( const char * format, ... ) {
   va_list args;
   va_start( args, format );
   va_list again;
   va_copy( again, args );
   const int needed = std::vsnprintf( nullptr, 0, format, args );
   va_end( args );
   Vela::String text;
   if( needed > 0 ) {
      text.resize( static_cast< std::size_t >( needed ) + 1 );
      std::vsnprintf( text.data(), text.size(), format, again );
      text.resize( static_cast< std::size_t >( needed ) );
   }
   va_end( again );
   return text;
}

} // namespace Quill
