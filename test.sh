#!/usr/bin/env bash
# Installs what is missing, builds Cardwright with its tests and runs every test.
set -euo pipefail
root=$(cd "$(dirname "$0")" && pwd)
"$root/scripts/install-packages.sh" "$root/scripts/debian-packages.txt" "$root/scripts/debian-test-packages.txt"

# A comma-decimal locale lets the tests prove that stored numbers ignore the locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo sed -i 's/^# *de_DE.UTF-8 UTF-8/de_DE.UTF-8 UTF-8/' /etc/locale.gen 2>/dev/null || true
    $sudo locale-gen >/dev/null 2>&1 || true
fi

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/cardwright-runtime.XXXXXX)}
chmod 700 "$XDG_RUNTIME_DIR"
"$root/scripts/build.sh" -DCARDWRIGHT_TESTS=ON
build=${CARDWRIGHT_BUILD_DIR:-$root/build}
ctest --test-dir "$build" --output-on-failure --no-tests=error -j "$(nproc)" --timeout 300

# The seeded fuzz loops (seed printed), the hostile pictures and the cards
# drawn on eight workers at once run again under AddressSanitizer
# and UndefinedBehaviorSanitizer: a separate build of those two test
# programs, whose libraries are all they need.
sanitize_build=${CARDWRIGHT_SANITIZE_BUILD_DIR:-$root/build-sanitize}
cmake -S "$root" -B "$sanitize_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCARDWRIGHT_TESTS=ON -DCARDWRIGHT_SANITIZE=ON >/dev/null
cmake --build "$sanitize_build" --parallel "$(nproc)" --target drawing_test_hostile_input batch_test_card_workers
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
"$sanitize_build/tests/bin/drawing_test_hostile_input" --gtest_filter='HostileInput.Fuzz*:HostileInput.HostilePictures*'
"$sanitize_build/tests/bin/batch_test_card_workers"
