#!/usr/bin/env bash
# A gallery of 1000 JPEG-named files of 200 KB into a fresh folder, beside cp of the same
# files in the same run (page cache warm for both).
#   bench/gallery/run-bench.sh [build folder]
set -euo pipefail
build=${1:-build}
bench="$build/bench/gallery/gallery_bench"
[ -x "$bench" ] || { echo "build $bench first" >&2; exit 1; }
work=$(mktemp -d /tmp/vexilo-gallery-XXXXXX)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/pictures" "$work/cp-copy"
for i in $(seq 1 1000); do head -c 204800 /dev/urandom > "$work/pictures/p$i.jpg"; done
cat "$work"/pictures/* > /dev/null
start=$(date +%s%N)
cp "$work"/pictures/* "$work/cp-copy/"
end=$(date +%s%N)
"$bench" "$(dirname "$0")/../../data/templet.htm" "$work/pictures" "$work/gallery"
echo "cp of the same files: $(( (end - start) / 1000000 )) ms"
