#!/usr/bin/env bash
# Fuzzes the picture decoders with libFuzzer under AddressSanitizer and UBSan.
# Usage: bench/pictures/run-fuzz.sh [seconds]   (default 300)
# Builds in build-fuzz/ with clang, seeds from the shared picture corpora and the PNG, WebP,
# AVIF and EXIF pictures of tests/pictures/data (read only),
# keeps what it learns in build-fuzz/corpus and any crash in build-fuzz/crashes.
set -euo pipefail
seconds=${1:-300}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$root/build-fuzz
testdata=$root/../shared/testdata
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
if [ ! -f "$build/build.ninja" ]; then
  CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVEXILO_FUZZ=ON -DVEXILO_BUILD_TESTS=OFF -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
fi
"$root/scripts/build-slot" cmake --build "$build" --target fuzz_decode_picture
mkdir -p "$build/corpus" "$build/crashes"
cd "$build"
"$root/scripts/build-slot" ./bench/pictures/fuzz_decode_picture -max_total_time="$seconds" -max_len=65536 \
  -timeout=10 -rss_limit_mb=2560 -print_final_stats=1 -artifact_prefix="$build/crashes/" \
  "$build/corpus" "$testdata/bmpsuite/g" "$testdata/bmpsuite/q" "$testdata/bmpsuite/b" \
  "$testdata/giflib-pic/pic" "$testdata/gif-test-suite/gifs" "$testdata/imagetestsuite/gif" \
  "$testdata/imagetestsuite/jpg" "$testdata/libjpeg-turbo-testimages" "$root/tests/pictures/data"
