#include "language/Command.h"

#include "language/ScenarioError.h"

namespace Sim {

const Token &
Args::peek( const std::string & what ) const {
   if( atEnd() ) {
      throw ScenarioError( "missing " + what );
   }
   return line_.tokens[ at_ ];
}

bool
Args::peekIs( std::string_view word ) const noexcept {
   return !atEnd() && line_.tokens[ at_ ].is( word );
}

const Token &
Args::nextToken( const std::string & what ) {
   const Token & token = peek( what );
   ++at_;
   return token;
}

bool
Args::accept( std::string_view word ) noexcept {
   if( peekIs( word ) ) {
      ++at_;
      return true;
   }
   return false;
}

void
Args::keyword( std::string_view word ) {
   const Token & token = peek( "'" + std::string( word ) + "'" );
   if( !token.is( word ) ) {
      throw ScenarioError( "expected '" + std::string( word ) + "', found '" + token.text + "'" );
   }
   ++at_;
}

void
Args::end() const {
   if( !atEnd() ) {
      throw ScenarioError( "unexpected '" + line_.tokens[ at_ ].text + "' at column " +
                           std::to_string( line_.tokens[ at_ ].column ) );
   }
}

std::vector< Token >
Args::rest() {
   std::vector< Token > tokens;
   while( !atEnd() ) {
      tokens.push_back( line_.tokens[ at_++ ] );
   }
   return tokens;
}

void
onlyOnce( bool given, const std::string & command, const std::string & option ) {
   if( given ) {
      throw ScenarioError( command + ": " + option + " given twice" );
   }
}

} // namespace Sim
