#!/usr/bin/env bash
# Installs a build tree into a fresh prefix and uses the result as a switch
# team would, with nothing from the build tree:
#  - the prefix is moved after the install, so nothing may depend on where it
#    was installed, nor reach back into the build tree;
#  - the installed simulator prints its version and runs an installed example,
#    with the installed platform library and the installed plug-in;
#  - the consumer project finds the installed package, links the platform
#    library and the plug-in, and runs.
#
#    check_install.sh BUILD VERSION CONSUMER BINDIR PLUGINDIR DATADIR [CMAKE_ARG...]
#
# BINDIR, PLUGINDIR and DATADIR are the install layout's folders relative to
# the prefix; the CMAKE_ARGs configure the consumer (compiler, flags).
set -u

if [ $# -lt 6 ]; then
   echo "usage: $0 BUILD VERSION CONSUMER BINDIR PLUGINDIR DATADIR [CMAKE_ARG...]" >&2
   exit 2
fi
build=$1 version=$2 consumer=$3 bindir=$4 plugindir=$5 datadir=$6
shift 6

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
   echo "install check failed: $1"
   if [ $# -gt 1 ] && [ -f "$2" ]; then
      echo "---- $2 ----"
      cat "$2"
   fi
   exit 1
}

cmake --install "$build" --prefix "$work/installed" > "$work/install.log" 2>&1 ||
   fail "cmake --install $build" "$work/install.log"
mv "$work/installed" "$work/prefix"
prefix=$work/prefix
sim=$prefix/$bindir/strata-agent-sim
[ -x "$sim" ] || fail "no simulator at $sim"

said=$("$sim" --version 2>&1) || fail "$sim --version exited with status $?"
[ "$said" = "strata-agent-sim $version" ] ||
   fail "$sim --version printed '$said', not 'strata-agent-sim $version'"

platform=$(ldd "$sim" | awk '/libstrata_platform/ { print $3 }')
case "$platform" in
   "$prefix"/*) ;;
   *) fail "the installed simulator loads the platform library from '$platform', not from $prefix" ;;
esac

# The example, then `show agent` from standard input, in one process.
example=$prefix/$datadir/examples/default.scn
echo "show agent" | "$sim" --quiet "$example" - > "$work/run.log" 2>&1 ||
   fail "the installed simulator on $example exited with status $?" "$work/run.log"
grep -q " passed, 0 failed$" "$work/run.log" ||
   fail "the installed example did not report its expectations as held" "$work/run.log"
grep -qF "$prefix/$plugindir/libStrataPacketTracerSlice.so.${version%%.*}" "$work/run.log" ||
   fail "the installed simulator did not load the installed plug-in" "$work/run.log"
grep -qE "^version: +$version\$" "$work/run.log" ||
   fail "show agent does not give version $version" "$work/run.log"

cmake -S "$consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" "$@" \
   > "$work/consumer.log" 2>&1 || fail "configuring the consumer" "$work/consumer.log"
found=$(sed -n 's/^StrataPacketTracerSlice_DIR:[A-Z]*=//p' "$work/consumer/CMakeCache.txt")
case "$found" in
   "$prefix"/*) ;;
   *) fail "the consumer found the package at '$found', not in $prefix" ;;
esac
cmake --build "$work/consumer" > "$work/consumer.log" 2>&1 ||
   fail "building the consumer" "$work/consumer.log"
"$work/consumer/consumer" > "$work/consumer.log" 2>&1 ||
   fail "the consumer exited with status $?" "$work/consumer.log"
echo "installed, moved and used: $prefix"
