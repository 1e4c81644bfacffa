#!/usr/bin/env bash
# Runs one scenario file through the simulator and checks how it ended.
#
#    run_scenario.sh SIM FILE
#
# Directives, in the comment lines at the top of the scenario (before its
# first command):
#    # expect-exit: N        the exit status wanted (default 0); "abort" means
#                            the process died of SIGABRT
#    # expect-stderr: TEXT   standard error must contain TEXT literally
#                            (repeatable)
#    # expect-stdout: TEXT   standard output must contain TEXT literally
#                            (repeatable; failed checks and the final
#                            "N passed, N failed" are printed there)
#    # expect-line-end: TEXT a line of standard output ends with TEXT: what
#                            follows TEXT on its line is checked too (repeatable)
#    # expect-timeline: TEXT the run's --timeline file contains TEXT literally
#    # expect-no-timeline: TEXT
#                            ... does not (both repeatable). The timeline is
#                            the host's record, written even when the agent
#                            stops the process: what a command did before an
#                            SDK failure ended it can be checked only there.
# The simulator runs as `SIM --quiet FILE` with standard input from /dev/null
# (and `--timeline TMPFILE` when a timeline directive is given). On a mismatch
# the simulator's output is printed and the script fails.
#
# A process that stops prints no tally and has no exit status of its own to
# report a failed `expect` with, so for `expect-exit: abort` a failed
# expectation printed before the stop fails the scenario here.
set -u

if [ $# -ne 2 ]; then
   echo "usage: $0 SIM FILE" >&2
   exit 2
fi
sim=$1
scenario=$2

expect_exit=0
stderr_texts=()
stdout_texts=()
stdout_lines=()
timeline_texts=()
timeline_absent=()
while IFS= read -r line || [ -n "$line" ]; do
   trimmed="${line#"${line%%[![:space:]]*}"}"
   [ -z "$trimmed" ] && continue
   case "$trimmed" in
      "#"*) ;;
      *) break ;;
   esac
   body="${trimmed#\#}"
   body="${body#"${body%%[![:space:]]*}"}"
   # "# KEY: VALUE", the value without its leading blanks.
   case "$body" in
      *:*) ;;
      *) continue ;;
   esac
   key="${body%%:*}"
   value="${body#*:}"
   value="${value#"${value%%[![:space:]]*}"}"
   case "$key" in
      expect-exit) expect_exit="${value//[[:space:]]/}" ;;
      expect-stderr) stderr_texts+=("$value") ;;
      expect-line-end) stdout_lines+=("$value") ;;
      expect-stdout) stdout_texts+=("$value") ;;
      expect-timeline) timeline_texts+=("$value") ;;
      expect-no-timeline) timeline_absent+=("$value") ;;
   esac
done < "$scenario"

out=$(mktemp)
err=$(mktemp)
timeline=$(mktemp)
trap 'rm -f "$out" "$err" "$timeline"' EXIT
options=(--quiet)
if [ $(( ${#timeline_texts[@]} + ${#timeline_absent[@]} )) -gt 0 ]; then
   options+=(--timeline "$timeline")
fi

# The group's own stderr is silenced so that the shell's "Aborted" notice for
# a deliberate abort does not clutter the log; the simulator's goes to $err.
status=0
{ "$sim" "${options[@]}" "$scenario" < /dev/null > "$out" 2> "$err"; status=$?; } 2> /dev/null

problems=()
if [ "$expect_exit" = "abort" ]; then
   # A shell reports death by signal N as 128 + N; SIGABRT is 6.
   if [ "$status" -ne 134 ]; then
      problems+=("expected the simulator to abort (status 134), got status $status")
   fi
   if awk -v p="$scenario:" 'index($0, p) == 1 && substr($0, length(p) + 1) ~ /^[0-9]+: expected / { found = 1 }
                             END { exit !found }' "$out"; then
      problems+=("an expectation failed before the process stopped")
   fi
elif [ "$status" != "$expect_exit" ]; then
   problems+=("expected exit status $expect_exit, got $status")
fi
for text in "${stderr_texts[@]+"${stderr_texts[@]}"}"; do
   if ! grep -qF -- "$text" "$err"; then
      problems+=("standard error lacks: $text")
   fi
done
for text in "${stdout_texts[@]+"${stdout_texts[@]}"}"; do
   if ! grep -qF -- "$text" "$out"; then
      problems+=("standard output lacks: $text")
   fi
done
for text in "${stdout_lines[@]+"${stdout_lines[@]}"}"; do
   if ! awk -v t="$text" 'length($0) >= length(t) && substr($0, length($0) - length(t) + 1) == t { found = 1 }
                          END { exit !found }' "$out"; then
      problems+=("standard output has no line ending with: $text")
   fi
done

for text in "${timeline_texts[@]+"${timeline_texts[@]}"}"; do
   if ! grep -qF -- "$text" "$timeline"; then
      problems+=("the timeline lacks: $text")
   fi
done
for text in "${timeline_absent[@]+"${timeline_absent[@]}"}"; do
   if grep -qF -- "$text" "$timeline"; then
      problems+=("the timeline contains: $text")
   fi
done

if [ ${#problems[@]} -eq 0 ]; then
   exit 0
fi
echo "scenario $scenario failed:"
for p in "${problems[@]}"; do
   echo "  $p"
done
echo "---- standard output ----"
cat "$out"
echo "---- standard error ----"
cat "$err"
exit 1
