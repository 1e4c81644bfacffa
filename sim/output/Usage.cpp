#include "output/Usage.h"

namespace Sim {

namespace {

// `text` broken into lines of at most `width` characters, each after `indent`.
std::string
wrapped( const std::string & text, std::size_t indent, std::size_t width ) {
   std::string out;
   std::string line;
   std::size_t start = 0;
   while( start < text.size() ) {
      std::size_t stop = text.find( ' ', start );
      stop = stop == std::string::npos ? text.size() : stop;
      const std::string word = text.substr( start, stop - start );
      if( !line.empty() && indent + line.size() + 1 + word.size() > width ) {
         out += std::string( indent, ' ' ) + line + "\n";
         line.clear();
      }
      line += ( line.empty() ? "" : " " ) + word;
      start = stop + 1;
   }
   return out + std::string( indent, ' ' ) + line + "\n";
}

} // namespace

std::string
usageText() {
   std::string text = "usage: strata-agent-sim [OPTION...] [SCENARIO...]\n" + wrapped( programSummary, 7, 79 ) + "\n";
   for( const OptionDoc & option : commandLineOptions ) {
      text += "  " + std::string( option.name ) + ( *option.value ? " " : "" ) + option.value + "\n" +
              wrapped( option.summary, 6, 79 );
   }
   text += "\nexit status:\n";
   for( const ExitStatusDoc & exit : exitStatuses ) {
      text += "  " + std::string( exit.status ) + "\n" + wrapped( exit.meaning, 6, 79 );
   }
   return text + "\n'man strata-agent-sim' and 'man strata-scenario' tell more.\n";
}

} // namespace Sim
