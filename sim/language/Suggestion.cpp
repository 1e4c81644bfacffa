#include "language/Suggestion.h"

#include <algorithm>
#include <cctype>

namespace Sim {

namespace {

// Beyond this many known names, listing them all would bury the message.
constexpr std::size_t listedAtMost = 6;

char
folded( char c ) noexcept {
   return char( std::tolower( static_cast< unsigned char >( c ) ) );
}

// Letters added, dropped or changed to turn one name into the other, case
// ignored.
std::size_t
distance( std::string_view a, std::string_view b ) {
   std::vector< std::size_t > row( b.size() + 1 );
   for( std::size_t j = 0; j <= b.size(); ++j ) {
      row[ j ] = j;
   }
   for( std::size_t i = 1; i <= a.size(); ++i ) {
      std::size_t diagonal = row[ 0 ];
      row[ 0 ] = i;
      for( std::size_t j = 1; j <= b.size(); ++j ) {
         const std::size_t above = row[ j ];
         row[ j ] = std::min(
            { row[ j ] + 1, row[ j - 1 ] + 1, diagonal + ( folded( a[ i - 1 ] ) == folded( b[ j - 1 ] ) ? 0 : 1 ) } );
         diagonal = above;
      }
   }
   return row[ b.size() ];
}

std::string
joined( const std::vector< std::string > & names, const char * separator ) {
   std::string text;
   for( const std::string & name : names ) {
      text += ( text.empty() ? "" : separator ) + name;
   }
   return text;
}

} // namespace

std::string
suggestion( std::string_view name, const std::vector< std::string > & known ) {
   const std::size_t near = 1 + name.size() / 4;
   std::size_t best = near + 1;
   std::vector< std::string > nearest;
   for( const std::string & candidate : known ) {
      const std::size_t d = distance( name, candidate );
      if( d < best ) {
         best = d;
         nearest.clear();
      }
      if( d == best ) {
         nearest.push_back( candidate );
      }
   }
   if( !nearest.empty() ) {
      return " (did you mean " + joined( nearest, " or " ) + "?)";
   }
   if( !known.empty() && known.size() <= listedAtMost ) {
      return " (known: " + joined( known, ", " ) + ")";
   }
   return "";
}

} // namespace Sim
