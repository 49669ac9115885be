#!/usr/bin/env bash
# A gallery of the 200 small JPEGs of bench/pictures/make-bench-pictures.sh (1024 x 768,
# photograph-like) into a fresh folder, beside cp of the same files in the same run (page
# cache warm for both), in a build slot.
#   bench/gallery/run-bench.sh [build folder, default build]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
pictures=${VEXILO_BENCH_PICTURES:-/tmp/vexilo-bench-pictures}
"$root/bench/pictures/make-bench-pictures.sh" "$pictures"
"$root/scripts/build-slot" cmake --build "$build" --target gallery_bench
work=$(mktemp -d /tmp/vexilo-gallery-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/cp-copy"
cat "$pictures"/small/*.jpg > /dev/null
start=$(date +%s%N)
cp "$pictures"/small/*.jpg "$work/cp-copy/"
end=$(date +%s%N)
"$root/scripts/build-slot" "$build/bench/gallery/gallery_bench" "$root/data/templet.htm" \
  "$pictures/small" "$work/gallery"
echo "cp of the same files: $(( (end - start) / 1000000 )) ms"
