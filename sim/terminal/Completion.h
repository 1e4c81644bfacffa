// What Tab completes at the prompt: the words that start a command, and the
// words that may follow a given first word (show, expect, help).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace Sim {

struct CompletionWords {
   std::vector< std::string > first;
   std::map< std::string, std::vector< std::string > > after;
};

// The candidates for the word that ends `before` (the line up to the cursor;
// the word may be empty): first words for the first word, the words after the
// first word for the second, nothing further on.
std::vector< std::string > completionsFor( const CompletionWords & words, std::string_view before );

} // namespace Sim
