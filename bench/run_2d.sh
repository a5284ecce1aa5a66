#!/usr/bin/env bash
# Installs the peer encoders, builds the 2-D benchmark in Release and runs it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-packages.sh" "$root/scripts/debian-packages.txt"
missing=()
for pkg in libqrencode-dev libzint-dev; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
build=${CARDWRIGHT_BENCH_DIR:-$root/build-bench}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCARDWRIGHT_BENCH=ON -DCARDWRIGHT_TESTS=OFF
cmake --build "$build" --parallel "$(nproc)" --target barcode2d_bench
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/bin/barcode2d_bench" "$@"
