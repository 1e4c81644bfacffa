#!/usr/bin/env bash
# The framework knows none of the agent's types: no header or source under
# platform/ outside Agent/ includes an Agent/ header. Only Agent/ includes
# Agent/, so this also holds for every header reached through another, and a
# change to an agent type rebuilds none of the framework.
#
#    check_framework_includes.sh PLATFORM_DIR
set -u
platform=$1
[ -d "$platform/Agent" ] || { echo "no Agent/ folder under $platform"; exit 1; }
found=$(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]Agent/' "$platform" \
           --include='*.h' --include='*.cpp' | grep -v "^$platform/Agent/")
if [ -n "$found" ]; then
   echo "the framework includes agent types:"
   echo "$found"
   exit 1
fi
echo "no framework file includes an agent type"
