#include "terminal/Completion.h"

#include <algorithm>

namespace Sim {

namespace {

bool
isBlank( char c ) noexcept {
   return c == ' ' || c == '\t';
}

} // namespace

std::vector< std::string >
completionsFor( const CompletionWords & words, std::string_view before ) {
   std::vector< std::string_view > done;
   std::size_t at = 0;
   for( ;; ) {
      while( at < before.size() && isBlank( before[ at ] ) ) {
         ++at;
      }
      std::size_t stop = at;
      while( stop < before.size() && !isBlank( before[ stop ] ) ) {
         ++stop;
      }
      if( stop == before.size() ) {
         break; // the word being completed (possibly empty)
      }
      done.push_back( before.substr( at, stop - at ) );
      at = stop;
   }
   const std::string_view partial = before.substr( std::min( at, before.size() ) );
   const std::vector< std::string > * pool = nullptr;
   if( done.empty() ) {
      pool = &words.first;
   } else if( done.size() == 1 ) {
      auto found = words.after.find( std::string( done.front() ) );
      pool = found == words.after.end() ? nullptr : &found->second;
   }
   std::vector< std::string > found;
   if( pool ) {
      for( const std::string & word : *pool ) {
         if( word.compare( 0, partial.size(), partial ) == 0 ) {
            found.push_back( word );
         }
      }
   }
   return found;
}

} // namespace Sim
