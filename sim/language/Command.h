// One scenario line on its way to a command, and the cursor through which a
// command reads its words. Every "missing"/"unexpected" error the cursor
// throws names the word it wanted, so a command only states its grammar.
#pragma once

#include "language/Lexer.h"
#include "language/Printable.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Sim {

struct Location {
   std::string file; // as given on the command line; "stdin" for "-"
   std::size_t line = 0;
   // "FILE:LINE", the name shown as printable() shows it.
   std::string text() const { return printable( file ) + ":" + std::to_string( line ); }
};

struct Line {
   Location where;
   std::string text; // the command as written, without comment and outer blanks
   std::vector< Token > tokens;
};

class Args {
 public:
   Args( const Line & line, std::size_t first ) : line_( line ), at_( first ) {}

   const Line & line() const noexcept { return line_; }
   bool atEnd() const noexcept { return at_ >= line_.tokens.size(); }
   std::size_t remaining() const noexcept { return atEnd() ? 0 : line_.tokens.size() - at_; }
   // The next token; throws when there is none.
   const Token & peek( const std::string & what ) const;
   bool peekIs( std::string_view word ) const noexcept;

   // Takes the next token; throws "missing WHAT" when the line ends.
   const Token & nextToken( const std::string & what );
   std::string next( const std::string & what ) { return nextToken( what ).text; }
   // Takes the next token when it is the keyword `word`.
   bool accept( std::string_view word ) noexcept;
   // Requires the keyword `word` next.
   void keyword( std::string_view word );
   // Requires that nothing is left.
   void end() const;
   // Every token left, taken.
   std::vector< Token > rest();

 private:
   const Line & line_;
   std::size_t at_;
};

// An option of a command may be given once: throws ScenarioError ("chip
// fail: unit given twice") when `given` already.
void onlyOnce( bool given, const std::string & command, const std::string & option );

} // namespace Sim
