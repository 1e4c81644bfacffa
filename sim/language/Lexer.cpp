#include "language/Lexer.h"

#include "language/ScenarioError.h"

namespace Sim {

namespace {

bool
isBlank( char c ) noexcept {
   return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

bool
endsToken( char c ) noexcept {
   return isBlank( c ) || c == '#';
}

[[noreturn]] void
fail( std::size_t index, const std::string & what ) {
   throw ScenarioError( "column " + std::to_string( index + 1 ) + ": " + what );
}

} // namespace

std::vector< Token >
tokenize( std::string_view line ) {
   std::vector< Token > tokens;
   std::size_t i = 0;
   while( i < line.size() ) {
      if( isBlank( line[ i ] ) ) {
         ++i;
         continue;
      }
      if( line[ i ] == '#' ) {
         break;
      }
      Token token;
      token.column = i + 1;
      if( line[ i ] == '"' ) {
         token.quoted = true;
         const std::size_t open = i++;
         bool closed = false;
         while( i < line.size() ) {
            const char c = line[ i ];
            if( c == '"' ) {
               closed = true;
               ++i;
               break;
            }
            if( c == '\\' ) {
               if( i + 1 >= line.size() ) {
                  fail( i, "a backslash ends the line inside a quoted token" );
               }
               const char escaped = line[ i + 1 ];
               if( escaped != '"' && escaped != '\\' ) {
                  fail( i, std::string( "unknown escape \\" ) + escaped + " (only \\\" and \\\\ are escapes)" );
               }
               token.text += escaped;
               i += 2;
               continue;
            }
            token.text += c;
            ++i;
         }
         if( !closed ) {
            fail( open, "unterminated quote" );
         }
         if( i < line.size() && !endsToken( line[ i ] ) ) {
            fail( i, "text right after a closing quote" );
         }
      } else {
         while( i < line.size() && !endsToken( line[ i ] ) ) {
            if( line[ i ] == '"' ) {
               fail( i, "a quote inside a token (quote the whole token)" );
            }
            token.text += line[ i++ ];
         }
      }
      tokens.push_back( std::move( token ) );
   }
   return tokens;
}

} // namespace Sim
