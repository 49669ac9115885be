#!/usr/bin/env bash
# The modern gallery of 1000 JPEGs of 3000 x 2000 (the 200 of bench/pictures/make-bench-pictures.sh,
# each under five names, hard links) against vipsthumbnail making the same two sizes (heights
# 480 and 240, quality 85) over as many processes as there are cores, in the same run, page
# cache warm for both, in a build slot. The gallery is timed twice: into a fresh folder (the
# whole gallery, picture copies included), then again into the same folder, where the copies
# are there already, which leaves the thumbnails and the page: the figure to set beside vips.
#   bench/gallery/run-modern-bench.sh [build folder, default build]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
pictures=${VEXILO_BENCH_PICTURES:-/tmp/vexilo-bench-pictures}
"$root/bench/pictures/make-bench-pictures.sh" "$pictures"
"$root/scripts/build-slot" cmake --build "$build" --target gallery_bench
thousand="$pictures/large-1000"
if [ "$(ls "$thousand" 2>/dev/null | wc -l)" != 1000 ]; then
  rm -rf "$thousand" && mkdir -p "$thousand"
  for f in "$pictures"/large/*.jpg; do
    n=$(basename "$f" .jpg)
    for k in 1 2 3 4 5; do ln "$f" "$thousand/$n-$k.jpg"; done
  done
fi
work=$(mktemp -d /tmp/vexilo-modern-gallery-XXXXXX)
trap 'rm -rf "$work"' EXIT
cat "$pictures"/large/*.jpg > /dev/null
cores=$(nproc)
ms() { echo $(( ($2 - $1) / 1000000 )); }

"$root/scripts/build-slot" bash -c '
  set -euo pipefail
  build=$1 thousand=$2 work=$3 cores=$4
  now() { date +%s%N; }
  t0=$(now)
  "$build/bench/gallery/gallery_bench" --modern "$thousand" "$work/gallery"
  t1=$(now)
  "$build/bench/gallery/gallery_bench" --modern "$thousand" "$work/gallery"
  t2=$(now)
  mkdir -p "$work/vips"
  for size in 480:-2x 240:; do
    height=${size%%:*} suffix=${size#*:}
    find "$thousand" -name "*.jpg" -print0 | xargs -0 -n 25 -P "$cores" \
      vipsthumbnail --size "100000x$height" -o "$work/vips/%s$suffix.jpg[Q=85]"
  done
  t3=$(now)
  echo "modern gallery, fresh folder (thumbnails, copies, page): $(( (t1 - t0) / 1000000 )) ms"
  echo "modern gallery again (thumbnails and page, copies kept):  $(( (t2 - t1) / 1000000 )) ms"
  echo "vipsthumbnail, the same two sizes on $cores processes:      $(( (t3 - t2) / 1000000 )) ms"
  ls "$work/vips" | wc -l | sed "s/^/vips thumbnails written: /"
  du -sh "$work/gallery/thumbs" "$work/vips" | sed "s/^/size: /"
  wc -c < "$work/gallery/index.html" | sed "s/^/index.html bytes: /"
' _ "$build" "$thousand" "$work" "$cores"
