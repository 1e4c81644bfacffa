#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time and fails on anything it finds.
#
#    run_fuzzer.sh FUZZER SECONDS ARTIFACT_DIR [-dict=FILE] SEED_DIR...
#
# The seeds are copied to a scratch corpus first, so the run never adds to or
# rewrites the corpus kept with the sources. A crash, a hang or a sanitizer
# report ends the run with libFuzzer's failing status; the input that caused
# it is kept in ARTIFACT_DIR and printed here, so that a CI log alone is
# enough to reproduce it (saved under tests/fuzz/corpus/ it becomes a
# regression test, when the target's reader takes it; one the reader refuses
# goes into the reader's own tests of what it refuses).
set -u

if [ $# -lt 4 ]; then
   echo "usage: $0 FUZZER SECONDS ARTIFACT_DIR [-dict=FILE] SEED_DIR..." >&2
   exit 2
fi
fuzzer=$1
seconds=$2
artifacts=$3
shift 3
options=()
seeds=()
for arg in "$@"; do
   case "$arg" in
      -*) options+=("$arg") ;;
      *) seeds+=("$arg") ;;
   esac
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for dir in "${seeds[@]}"; do
   cp -- "$dir"/* "$scratch"/ 2>/dev/null || true
done
rm -rf "$artifacts"
mkdir -p "$artifacts"

# A hang of ten seconds on one input is a fault, not a slow machine; leaks are
# checked after every input that allocates more than it frees.
"$fuzzer" -max_total_time="$seconds" -timeout=10 -detect_leaks=1 -print_final_stats=1 -print_funcs=0 \
   -artifact_prefix="$artifacts/" "${options[@]+"${options[@]}"}" "$scratch"
status=$?
if [ "$status" -ne 0 ]; then
   for found in "$artifacts"/*; do
      [ -f "$found" ] || continue
      echo "---- input that failed: $found (base64) ----"
      base64 < "$found"
   done
fi
exit "$status"
