#!/usr/bin/env bash
# Peak memory of listing the folders of make-bomb-pictures.sh with the thumbnail maker on
# 2 and 16 threads, and the main-thread time per appended download, in a build slot.
# Usage: bench/pictures/run-memory-bench.sh [build folder, default build]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
folder=${VEXILO_BOMB_PICTURES:-/tmp/vexilo-bomb-pictures}
"$root/bench/pictures/make-bomb-pictures.sh" "$folder"
"$root/scripts/build-slot" cmake --build "$build" --target picture_memory_bench append_bench
for set in bombs screens mixed; do
  for threads in 2 16; do
    echo "== $set, $threads threads"
    "$root/scripts/build-slot" /usr/bin/time -v "$build/bench/pictures/picture_memory_bench" \
      "$folder/$set" "$threads" 2>&1 | grep -E "files|Maximum resident"
  done
done
QT_QPA_PLATFORM=offscreen "$root/scripts/build-slot" "$build/bench/pictures/append_bench" "$folder/mixed"
