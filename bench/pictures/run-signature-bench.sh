#!/usr/bin/env bash
# Makes the signature pairs once, then runs the signature benchmark and the precision and
# recall over the pairs in a build slot.
# Usage: bench/pictures/run-signature-bench.sh [build folder, default build] [benchmark options...]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
shift || true
folder=${VEXILO_SIGNATURE_PAIRS:-/tmp/vexilo-signature-pairs}
"$root/bench/pictures/make-signature-pairs.sh" "$folder"
"$root/scripts/build-slot" cmake --build "$build" --target signature_bench signature_pairs
VEXILO_SIGNATURE_PAIRS=$folder "$root/scripts/build-slot" "$build/bench/pictures/signature_bench" "$@"
"$build/bench/pictures/signature_pairs" "$folder"
