#!/usr/bin/env bash
# Sources the bash completion in a non-interactive bash, as bash-completion
# would load it, and asks it what it completes, in a folder of known files.
#
#    check_completion.sh SCRIPT
set -u
script=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" && touch a.scn b.scn notes.txt && mkdir sub

# What is typed -> what COMPREPLY must hold, in order ("" for nothing).
cases=(
   "strata-agent-sim --ti|--timeline"
   "strata-agent-sim --qu|--quiet"
   "strata-agent-sim -|--quiet --trace --plugin --record --junit --timeline --version --help -h -"
   "strata-agent-sim --trace Api|ApiStrata="
   "strata-agent-sim --trace ApiStrata=1|1 10 11 12 13 14 15"
   "strata-agent-sim --trace ApiStrata=a|all"
   "strata-agent-sim --trace ApiStrata=4,n|"
   "strata-agent-sim --trace ApiStrata=4;Ca|Cairn="
   "strata-agent-sim --quiet |sub/ a.scn b.scn -"
   "strata-agent-sim a|a.scn"
   "strata-agent-sim --junit n|notes.txt"
   "strata-agent-sim --plugin s|sub/"
)
bash --norc --noprofile -s "$script" "${cases[@]}" <<'EOF_BASH'
script=$1
shift
source "$script" || { echo "sourcing $script failed"; exit 1; }
complete -p strata-agent-sim > /dev/null || { echo "$script registers no completion"; exit 1; }
failed=0
for c in "$@"; do
   typed=${c%%|*} wanted=${c#*|}
   COMP_LINE=$typed COMP_POINT=${#typed}
   read -ra COMP_WORDS <<< "$typed"
   [[ $typed == *" " ]] && COMP_WORDS+=("")
   COMP_CWORD=$(( ${#COMP_WORDS[@]} - 1 ))
   COMPREPLY=()
   _strata_agent_sim
   if [[ "${COMPREPLY[*]}" != "$wanted" ]]; then
      echo "'$typed': completed '${COMPREPLY[*]}', wanted '$wanted'"
      failed=1
   fi
done
echo "$# completions asked"
exit $failed
EOF_BASH
