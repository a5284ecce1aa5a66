#!/usr/bin/env bash
# Installs what is missing, builds the program (without its tests) and starts it.
#
# The program has a build folder of its own ($CARDWRIGHT_RUN_BUILD_DIR, else
# ./build-run), configured with the tests off, so it needs none of the test
# packages and ./test.sh and ./run.sh never reconfigure each other's build.
# A launch with nothing changed skips the package check (the package list and
# the installed packages are older than its stamp) and the configure step (the
# options are those of the last configure; ninja itself reruns CMake when a
# CMake file changed); the build step always runs, so a needed rebuild is never
# skipped.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
build=${CARDWRIGHT_RUN_BUILD_DIR:-$root/build-run}
list=$root/scripts/debian-packages.txt
mkdir -p "$build"

checked=$build/.packages-checked
if [ ! -f "$checked" ] || [ "$list" -nt "$checked" ] || [ /var/lib/dpkg/status -nt "$checked" ]; then
    "$root/scripts/install-packages.sh" "$list"
    touch "$checked"
fi

CARDWRIGHT_BUILD_DIR=$build "$root/scripts/build.sh" -DCARDWRIGHT_TESTS=OFF
exec "$build/bin/cardwright" "$@"
