#!/usr/bin/env bash
# Makes the benchmark pictures once, then runs the thumbnail benchmark in a build slot.
# Usage: bench/pictures/run-bench.sh [build folder, default build] [benchmark options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
shift || true
folder=${VEXILO_BENCH_PICTURES:-/tmp/vexilo-bench-pictures}
"$root/bench/pictures/make-bench-pictures.sh" "$folder"
"$root/scripts/build-slot" cmake --build "$build" --target thumbnail_bench
VEXILO_BENCH_PICTURES=$folder "$root/scripts/build-slot" "$build/bench/pictures/thumbnail_bench" "$@"
