#!/usr/bin/env bash
# Builds and runs the card rendering benchmark; results and samples go to bench/out/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
list=$(mktemp)
echo librsvg2-dev > "$list"
"$root/scripts/install-packages.sh" "$root/scripts/debian-packages.txt" "$list"
rm -f "$list"
cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCARDWRIGHT_BENCH=ON -DCARDWRIGHT_TESTS=OFF
cmake --build "$root/build-bench" --target card_render_bench -j4
mkdir -p "$root/bench/out"
QT_QPA_PLATFORM=offscreen "$root/build-bench/bin/card_render_bench" "$root/bench/out" "${1:-1000}" | tee "$root/bench/out/results.txt"
