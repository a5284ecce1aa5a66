#!/usr/bin/env bash
# Configures and builds Cardwright into ./build (or $CARDWRIGHT_BUILD_DIR).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CARDWRIGHT_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE:-RelWithDebInfo} "$@"
cmake --build "$build" --parallel "$(nproc)"
