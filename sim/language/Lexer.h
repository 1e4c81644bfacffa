// Splits one scenario line into tokens.
//
// Tokens are separated by blanks (spaces, tabs). `#` outside quotes starts a
// comment that runs to the end of the line. A token that starts with `"` runs
// to the matching `"`; inside it `\"` and `\\` stand for `"` and `\`, and no
// other escape exists. `""` is a valid, empty token. A quote inside an
// unquoted token, text glued to a closing quote, an unknown escape or an
// unterminated quote make the line malformed.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Sim {

struct Token {
   std::string text;
   bool quoted = false;
   std::size_t column = 0; // 1-based column where the token starts

   // True for an unquoted token that is exactly `word`: keywords are never
   // quoted, so `"json"` is text, not the json switch.
   bool is( std::string_view word ) const noexcept { return !quoted && text == word; }
};

// Tokens of `line`; throws ScenarioError naming the column of what is wrong.
std::vector< Token > tokenize( std::string_view line );

} // namespace Sim
