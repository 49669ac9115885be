#!/usr/bin/env bash
# The modern gallery of 1000 JPEGs of 3000 x 2000 (the 200 of bench/pictures/make-bench-pictures.sh,
# each under five names, hard links) against vipsthumbnail making the same two sizes (heights
# 480 and 240, JPEG at quality 85, WebP at quality 84 and effort 2 as the gallery's) over as
# many processes as there are cores, in the same run, page cache warm for both, in a build
# slot. The gallery is timed into a fresh folder (the whole gallery, picture copies included),
# then again into the same folder, where the copies are there already, which leaves the
# thumbnails and the page: the figure to set beside vips making both formats. Once more
# without WebP, beside vips making the JPEGs only.
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
  "$build/bench/gallery/gallery_bench" --modern-jpeg "$thousand" "$work/gallery-jpeg"
  t3=$(now)
  "$build/bench/gallery/gallery_bench" --modern-jpeg "$thousand" "$work/gallery-jpeg"
  t4=$(now)
  mkdir -p "$work/vips"
  by_vips() {  # by_vips <format and options> <file ending>
    for size in 480:-2x 240:; do
      height=${size%%:*} suffix=${size#*:}
      find "$thousand" -name "*.jpg" -print0 | xargs -0 -n 25 -P "$cores" \
        vipsthumbnail --size "100000x$height" -o "$work/vips/%s$suffix.$2[$1]"
    done
  }
  by_vips Q=85 jpg
  t5=$(now)
  by_vips Q=84,effort=2 webp
  t6=$(now)
  ms() { echo "$(( ($2 - $1) / 1000000 )) ms"; }
  echo "modern gallery, fresh folder (thumbnails, copies, page):    $(ms $t0 $t1)"
  echo "modern gallery again (WebP and JPEG thumbnails, page):      $(ms $t1 $t2)"
  echo "vipsthumbnail, the same two sizes as JPEG and WebP:         $(ms $t4 $t6)"
  echo "modern gallery again without WebP (JPEG thumbnails, page):  $(ms $t3 $t4)"
  echo "vipsthumbnail, the same two sizes as JPEG only:             $(ms $t4 $t5)"
  ls "$work/vips" | wc -l | sed "s/^/vips thumbnails written: /"
  du -sh "$work/gallery/thumbs" "$work/vips" | sed "s/^/size: /"
  for f in jpg webp; do
    du -ch "$work/gallery/thumbs/"*.$f | tail -1 | sed "s/total/gallery .$f/"
    du -ch "$work/vips/"*.$f | tail -1 | sed "s/total/vips .$f/"
  done
  wc -c < "$work/gallery/index.html" | sed "s/^/index.html bytes: /"
' _ "$build" "$thousand" "$work" "$cores"
