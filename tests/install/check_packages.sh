#!/usr/bin/env bash
# Makes the Debian packages from a build tree and checks them as Debian's
# tools would: the split and names, the files each must carry, stripped
# binaries whose debug information is in the -dbg package, and, when
# lintian is installed, lintian itself (any error fails; so does a warning
# other than the one the README's Install section explains).
#
#    check_packages.sh BUILD VERSION
#
# Without dpkg-deb (not a Debian system) the check says it was skipped
# (exit 77). Without lintian, the rest is checked and lintian's part is
# reported as skipped.
set -u
build=$1 version=$2
if ! command -v dpkg-deb > /dev/null; then
   echo "packages not checked: dpkg-deb is not installed (skipped)"
   exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package check failed: $1"; [ $# -gt 1 ] && cat "$2"; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" > "$work/cpack.log" 2>&1 ||
   fail "cpack -G DEB" "$work/cpack.log"
deb=$version-1_$(dpkg --print-architecture)
for package in strata-packet-tracer libstrata-platform1 strata-packet-tracer-dev strata-packet-tracer-dbg; do
   file=$work/${package}_$deb.deb
   [ -f "$file" ] || fail "no package $package ($(cd "$work" && ls ./*.deb))"
   dpkg-deb -c "$file" > "$work/$package.list"
   for doc in copyright changelog.Debian.gz; do
      grep -q "/usr/share/doc/$package/$doc\$" "$work/$package.list" || fail "$package has no $doc" "$work/$package.list"
   done
done
contains() { grep -q "$2" "$work/$1.list" || fail "$1 lacks $2" "$work/$1.list"; }
contains strata-packet-tracer "/usr/bin/strata-agent-sim$"
contains strata-packet-tracer "/usr/share/man/man1/strata-agent-sim.1.gz$"
contains strata-packet-tracer "/usr/share/man/man5/strata-scenario.5.gz$"
contains strata-packet-tracer "/usr/share/bash-completion/completions/strata-agent-sim$"
contains libstrata-platform1 "/usr/lib/libstrata_platform.so.1 -> "
contains strata-packet-tracer-dev "/usr/lib/libstrata_platform.so -> "
contains strata-packet-tracer-dev "/usr/lib/cmake/StrataPacketTracerSlice/StrataPacketTracerSliceConfig.cmake$"
contains strata-packet-tracer-dbg "/usr/lib/debug/.build-id/../.*\.debug$"
dpkg-deb -e "$work/libstrata-platform1_$deb.deb" "$work/control"
grep -qx "libstrata_platform 1 libstrata-platform1 (>= $version-1)" "$work/control/shlibs" ||
   fail "libstrata-platform1's shlibs" "$work/control/shlibs"
grep -qx "activate-noawait ldconfig" "$work/control/triggers" || fail "libstrata-platform1 has no ldconfig trigger"

# Every binary is stripped, and its build id names a file of the -dbg package.
dpkg-deb -x "$work/strata-packet-tracer_$deb.deb" "$work/root"
dpkg-deb -x "$work/libstrata-platform1_$deb.deb" "$work/root"
for binary in "$work/root/usr/bin/strata-agent-sim" "$work/root/usr/lib/libstrata_platform.so.1" \
              "$work/root/usr/lib/strata-agent/plugins/libStrataPacketTracerSlice.so.1"; do
   ! readelf -S "$binary" | grep -q "\.debug_info" || fail "$binary is not stripped"
   id=$(readelf -n "$binary" | sed -n 's/.*Build ID: \([0-9a-f]*\)/\1/p')
   contains strata-packet-tracer-dbg "/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug$"
done

if ! command -v lintian > /dev/null; then
   echo "packages checked; lintian is not installed: its check skipped"
   exit 0
fi
lintian --tag-display-limit 0 "$work"/*.deb > "$work/lintian.log" 2>&1
grep -v "running with root privileges" "$work/lintian.log"
grep -q "^E: " "$work/lintian.log" && fail "lintian reports errors"
# The one warning explained in the README: the library's maintainer scripts
# are empty on purpose (its ldconfig run is a trigger).
grep "^W: " "$work/lintian.log" | grep -v "^W: libstrata-platform1: maintainer-script-empty \[post\(inst\|rm\)\]$" &&
   fail "lintian reports a warning the README does not explain"
echo "packages checked, lintian: $(grep -c "^E: " "$work/lintian.log") errors, $(grep -c "^W: " "$work/lintian.log") warnings"
