#!/usr/bin/env bash
# Builds the tests with ThreadSanitizer into ./build-tsan (or
# $CARDWRIGHT_TSAN_BUILD_DIR) and runs every test labelled "threaded" (the
# programs that run work on several threads). Any sanitizer report fails its
# test, and so the check; reports inside Qt and the system libraries, which
# are not built with the sanitizer, are suppressed by tests/tsan.supp.
# Cases that measure time or memory budgets are left out: the sanitizer's own
# cost breaks those limits, not the code.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CARDWRIGHT_TSAN_BUILD_DIR:-$root/build-tsan}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCARDWRIGHT_TESTS=ON -DCARDWRIGHT_TSAN=ON >/dev/null
cmake --build "$build" --parallel "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}" --target cw_threaded_tests
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
ctest --test-dir "$build" --output-on-failure --no-tests=error -j "${CTEST_PARALLEL_LEVEL:-$(nproc)}" --timeout 600 \
    -L threaded -E "${CARDWRIGHT_TSAN_EXCLUDE:-Budget|Fuzzed}"
