#!/usr/bin/env bash
# Builds and runs the card output benchmark with its glabels peer; results
# and samples go to bench/out/output.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-packages.sh" "$root/scripts/debian-packages.txt"
if ! command -v glabels-3-batch >/dev/null; then
    apt-get install -y --no-install-recommends glabels
fi
cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCARDWRIGHT_BENCH=ON -DCARDWRIGHT_TESTS=OFF
cmake --build "$root/build-bench" --target output_bench -j"${JOBS:-3}"
mkdir -p "$root/bench/out/output"
uptime
QT_QPA_PLATFORM=offscreen "$root/build-bench/bin/output_bench" "$root/bench/out/output" "${1:-1000}" "${2:-3}" |
    tee "$root/bench/out/output/results.txt"
QT_QPA_PLATFORM=offscreen "$root/build-bench/bin/output_bench" "$root/bench/out/output" "${1:-1000}" "${2:-3}" latency |
    tee -a "$root/bench/out/output/results.txt"
uptime
