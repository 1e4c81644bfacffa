#include "output/CompletionScript.h"

#include "language/KnownNames.h"
#include "output/Usage.h"

namespace Sim {

namespace {

// The part of the script the tables fill in: the word lists.
std::string
wordLists() {
   std::string options;
   std::string fileOptions;
   for( const OptionDoc & option : commandLineOptions ) {
      options += ( options.empty() ? "" : " " ) + std::string( option.name );
      const std::string name = option.name;
      if( *option.value && name != "--trace" && name != "--plugin" ) {
         fileOptions += ( fileOptions.empty() ? "" : "|" ) + name;
      }
   }
   std::string handles;
   for( const char * handle : knownTraceHandles ) {
      handles += ( handles.empty() ? "" : " " ) + std::string( handle );
   }
   std::string levels;
   for( int level = 0; level <= 15; ++level ) {
      levels += std::to_string( level ) + " ";
   }
   return "_strata_agent_sim_options='" + options + " -h'\n" + "_strata_agent_sim_handles='" + handles + "'\n" +
          "_strata_agent_sim_levels='" + levels + "'\n" + "_strata_agent_sim_file_options='" + fileOptions + "'\n";
}

constexpr const char * completionFunction = R"(
# --trace HANDLE=LEVELS[;HANDLE=LEVELS...]: the whole words that may follow
# what is typed.
_strata_agent_sim_trace() {
   local cur=$1 head= item=$1
   if [[ $cur == *\;* ]]; then
      head=${cur%;*}\;
      item=${cur##*;}
   fi
   if [[ $item != *=* ]]; then
      compgen -P "$head" -S = -W "$_strata_agent_sim_handles" -- "$item"
      return
   fi
   local handle=${item%%=*} levels=${item#*=} done=
   [[ $levels == *,* ]] && done=${levels%,*},
   local words=$_strata_agent_sim_levels
   [[ -z $done ]] && words+=" all none"
   compgen -P "$head$handle=$done" -W "$words" -- "${levels##*,}"
}

_strata_agent_sim() {
   local line=${COMP_LINE:0:COMP_POINT}
   local -a words
   read -ra words <<< "$line"
   [[ -z $line || $line == *[[:space:]] ]] && words+=("")
   local cur=${words[${#words[@]}-1]} prev=
   (( ${#words[@]} > 1 )) && prev=${words[${#words[@]}-2]}
   local -a found
   if [[ $prev == --trace ]]; then
      mapfile -t found < <(_strata_agent_sim_trace "$cur")
      compopt -o nospace 2>/dev/null
   elif [[ $prev == --plugin ]]; then
      mapfile -t found < <(compgen -d -S / -- "$cur"; compgen -f -X '!*.so*' -- "$cur")
      compopt -o nospace 2>/dev/null
   elif [[ -n $prev && $prev == @($_strata_agent_sim_file_options) ]]; then
      mapfile -t found < <(compgen -f -- "$cur")
   elif [[ $cur == -* ]]; then
      mapfile -t found < <(compgen -W "$_strata_agent_sim_options -" -- "$cur")
   else
      mapfile -t found < <(compgen -d -S / -- "$cur"; compgen -f -X '!*.scn' -- "$cur"
                           [[ -z $cur ]] && echo -)
      compopt -o nospace 2>/dev/null
   fi
   # bash replaces only what follows the word's last break character.
   local broken=${cur%"${cur##*[=:;]}"}
   COMPREPLY=("${found[@]#"$broken"}")
}
complete -F _strata_agent_sim strata-agent-sim
)";

} // namespace

std::string
bashCompletionScript() {
   return "# bash completion for strata-agent-sim, made from the program's own option table.\n" + wordLists() +
          completionFunction;
}

} // namespace Sim
