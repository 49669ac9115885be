#!/usr/bin/env bash
# Makes the benchmark pictures once (200 JPEGs of 3000 x 2000 among them), then runs the
# viewer benchmark on them in a build slot.
# Usage: bench/viewer/run-bench.sh [build folder, default build] [steps]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
shift || true
folder=${VEXILO_BENCH_PICTURES:-/tmp/vexilo-bench-pictures}
"$root/bench/pictures/make-bench-pictures.sh" "$folder"
"$root/scripts/build-slot" cmake --build "$build" --target viewer_bench
QT_QPA_PLATFORM=offscreen "$root/scripts/build-slot" \
  "$build/bench/viewer/viewer_bench" "$folder/large" "$@"
