#!/bin/sh
# Background browser benchmark: 500 backgrounds of 1600 x 1200 (half PNG,
# half JPG; ten of them replaced by 6000 x 4000 JPGs) in a resource folder,
# ten fresh runs of bench_background_browser with a warm page cache, and
# vipsthumbnail on the same files for context.
#   bench/run_background_browser.sh <build dir>
set -eu
BUILD=${1:-build}
command -v vipsthumbnail >/dev/null 2>&1 || apt-get install -y libvips-tools >/dev/null
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
R="$WORK/r"
mkdir -p "$R"
"$BUILD/bin/cw_make_resources" --backgrounds "$R/Background" 500 1600 1200
"$BUILD/bin/cw_make_resources" --backgrounds "$WORK/big" 20 6000 4000
i=0
for f in "$WORK"/big/*.jpg; do
    i=$((i + 1))
    cp "$f" "$R/Background/$(printf 'Background_%03d.jpg' $((i * 2)))"
done
cat "$R"/Background/* > /dev/null # warm the page cache
uptime
for run in 1 2 3 4 5 6 7 8 9 10; do
    "$BUILD/bin/bench_background_browser" "$R" 2>/dev/null || true
done
mkdir -p "$WORK/vips"
START=$(date +%s.%N)
vipsthumbnail --size 131x131 -o "$WORK/vips/%s.png" "$R"/Background/*
END=$(date +%s.%N)
echo "vipsthumbnail_all_ms $(echo "($END - $START) * 1000" | bc)"
