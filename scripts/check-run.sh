#!/usr/bin/env bash
# Proves that ./run.sh alone builds and starts Cardwright without the test
# packages: in a scratch clone of the committed tree, ./run.sh runs with
# GoogleTest hidden from CMake (a configure that asks for it fails) and the
# program told to end as soon as it is up. A second ./run.sh with nothing
# changed must start again without reconfiguring or rebuilding anything.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d /tmp/cardwright-run-check.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
git clone --quiet "$root" "$scratch/tree"

cat > "$scratch/hidden-test-packages.cmake" <<'CMAKE'
set(CMAKE_DISABLE_FIND_PACKAGE_GTest ON)
CMAKE
mkdir -m 700 "$scratch/runtime"
start() {
    env -u CARDWRIGHT_RUN_BUILD_DIR -u CARDWRIGHT_BUILD_DIR \
        CMAKE_TOOLCHAIN_FILE="$scratch/hidden-test-packages.cmake" QT_QPA_PLATFORM=offscreen \
        XDG_RUNTIME_DIR="$scratch/runtime" CARDWRIGHT_RESOURCE_DIR="$scratch/resources" \
        CARDWRIGHT_EXIT_AT_START=1 timeout 7200 "$scratch/tree/run.sh" > "$scratch/$1.log" 2>&1 || {
        cat "$scratch/$1.log"
        echo "check-run: ./run.sh failed ($1 launch)" >&2
        exit 1
    }
}

start first
if grep -Eq '^(GTEST_|GTest_DIR|GMOCK_)' "$scratch/tree/build-run/CMakeCache.txt"; then
    echo "check-run: the run build looked for GoogleTest" >&2
    exit 1
fi
[ -d "$scratch/resources/Templates/User" ] || { echo "check-run: the program did not start" >&2; exit 1; }

start second
if grep -q -- '-- Configuring' "$scratch/second.log" || ! grep -q 'no work to do' "$scratch/second.log"; then
    cat "$scratch/second.log"
    echo "check-run: a second ./run.sh with nothing changed reconfigured or rebuilt" >&2
    exit 1
fi
echo "check-run: ./run.sh builds and starts Cardwright without the test packages"
