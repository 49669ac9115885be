#!/usr/bin/env bash
# Listing 200 GIFs of 4000 x 4000 (about 11 KB each, written by make_large_gifs): the thumbnail
# maker on two threads, then the real main window offscreen with an empty thumbnail cache
# (grid_bench: the whole build and the longest stretch the window takes no input).
# Usage: bench/pictures/run-gif-listing-bench.sh [build folder, default build]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
folder=${VEXILO_LARGE_GIFS:-/tmp/vexilo-large-gifs}
slot=$root/scripts/build-slot
"$slot" cmake --build "$build" -j2 --target make_large_gifs picture_memory_bench grid_bench
if [ ! -f "$folder/.complete" ]; then
  "$slot" "$build/bench/pictures/make_large_gifs" "$folder/pictures" 200 4000
  touch "$folder/.complete"
fi
echo "== $(ls "$folder/pictures" | wc -l) GIFs, $(du -sk "$folder/pictures" | cut -f1) KB"
echo "== thumbnail maker, 2 threads"
"$slot" /usr/bin/time -f "peak %M KB" "$build/bench/pictures/picture_memory_bench" \
  "$folder/pictures" 2
cache=$(mktemp -d)
trap 'rm -rf "$cache"' EXIT
echo "== grid_bench, thumbnail cache in $cache"
XDG_CACHE_HOME=$cache QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 \
  "$slot" "$build/bench/grid/grid_bench" "$folder/pictures"
