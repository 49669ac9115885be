#!/usr/bin/env bash
# The grid of 20 000 small JPEGs through the real main window (offscreen), first with an
# empty thumbnail cache and then warm, beside vipsthumbnail making 128-pixel thumbnails of
# the same files on two processes, and the cost of each stage of a thumbnail on one thread.
# The cache is a temporary folder, never the user's. VEXILO_GRID_TILE=300x300 lists square
# pictures instead (see make-grid-pictures.sh).
# Usage: bench/grid/run-grid-bench.sh [build folder, default build]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
folder=${VEXILO_GRID_FOLDER:-/tmp/vexilo-grid-pictures${VEXILO_GRID_TILE:+-$VEXILO_GRID_TILE}}
"$root/bench/grid/make-grid-pictures.sh" "$folder"
slot=$root/scripts/build-slot
"$slot" cmake --build "$build" --target grid_bench thumbnail_stages
cache=$(mktemp -d)
vips=$(mktemp -d)
trap 'rm -rf "$cache" "$vips"' EXIT
echo "== grid_bench, thumbnail cache in $cache"
XDG_CACHE_HOME=$cache QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 "$slot" "$build/bench/grid/grid_bench" \
  "$folder/pictures"
echo "== vipsthumbnail -s 128, 2 processes"
start=$(date +%s.%N)
(cd "$folder/pictures" && ls | "$slot" xargs -P 2 -n 500 vipsthumbnail -s 128 -o "$vips/%s.png")
echo "vipsthumbnail: $(echo "$(date +%s.%N) - $start" | bc) s for $(ls "$vips" | wc -l) files"
echo "== thumbnail_stages"
"$slot" "$build/bench/grid/thumbnail_stages" "$folder/pictures" 1000
