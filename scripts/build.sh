#!/usr/bin/env bash
# Configures and builds Cardwright into ./build (or $CARDWRIGHT_BUILD_DIR);
# the arguments are passed to CMake. The configure step runs only when the
# folder has no build yet or the options differ from its last configure:
# otherwise ninja reruns CMake itself whenever a CMake file changed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CARDWRIGHT_BUILD_DIR:-$root/build}
options=(-G Ninja "-DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE:-RelWithDebInfo}" "$@")
stamp=$build/.configured-with
if [ ! -f "$build/build.ninja" ] || [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "${options[*]}" ]; then
    cmake -S "$root" -B "$build" "${options[@]}"
    printf '%s' "${options[*]}" > "$stamp"
fi
cmake --build "$build" --parallel "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
