#!/usr/bin/env bash
# Renders the manual pages as a reader's man does, and fails on any warning
# the formatter gives; the scenario page must list every command `help` does.
#
#    check_manual.sh SIM PAGE...
#
# With man (man-db) the pages go through `man --warnings -l`; without it,
# through groff; with neither the check says it was skipped (exit 77).
set -u
sim=$1
shift
if command -v man > /dev/null; then
   render() { LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$1"; }
elif command -v groff > /dev/null; then
   render() { zcat -f "$1" | groff -man -Tutf8 -ww; }
else
   echo "manual pages not rendered: neither man nor groff is installed (skipped)"
   exit 77
fi
status=0
for page in "$@"; do
   text=$(render "$page" 2> warnings.$$) || { echo "$page: the renderer failed"; status=1; }
   if [ -s warnings.$$ ]; then
      echo "$page: warnings:"
      cat warnings.$$
      status=1
   fi
   rm -f warnings.$$
   case "$page" in
      *.5.gz)
         # Every command word of `help` (its lines "  WORD ...") is documented.
         for word in $(echo help | "$sim" --quiet | sed -n 's/^  \([a-z-]*\).*/\1/p' | sort -u); do
            grep -q -- "^ *$word\b" <<< "$text" || { echo "$page: no command '$word'"; status=1; }
         done
         ;;
   esac
   echo "$page: $(wc -l <<< "$text") lines rendered"
done
exit $status
