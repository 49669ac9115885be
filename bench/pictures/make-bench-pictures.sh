#!/usr/bin/env bash
# Makes the benchmark's picture folders once (photograph-like content: plasma fractals with
# noise, ImageMagick), in $1 or /tmp/vexilo-bench-pictures. Not part of the repository.
#   large/  200 JPEGs 3000 x 2000      small/  200 JPEGs 1024 x 768
#   gif/    100 GIFs 640 x 480         bmp/    100 24-bit BMPs 1024 x 768
#   png/    100 PNGs and webp/ 100 lossy WebPs (quality 80), of the first 100 small JPEGs
set -euo pipefail
out=${1:-/tmp/vexilo-bench-pictures}
# The marker names the last set of folders added; an older folder gains only what it lacks.
[ -f "$out/.complete-png-webp" ] && exit 0
mkdir -p "$out/base" "$out/large" "$out/small" "$out/gif" "$out/bmp" "$out/png" "$out/webp"
for seed in 1 2 3 4; do
  [ -f "$out/base/$seed.png" ] || convert -size 3000x2000 -seed "$seed" plasma:fractal -blur 0x1 \
    -attenuate 0.3 +noise Gaussian "$out/base/$seed.png"
done
derive() {  # derive <kind> <index>: a shifted, recoloured copy of one base picture
  local out=$1 kind=$2 i=$3 n=$((10#$3))
  compgen -G "$out/$kind/$i.*" > /dev/null && return 0
  local base=$(( n % 4 + 1 )) roll="+$(( n * 37 ))+$(( n * 23 ))"
  local common=(-roll "$roll" -modulate "100,$(( 90 + n % 20 )),$(( 95 + n % 10 ))")
  case $kind in
    large) convert "$out/base/$base.png" "${common[@]}" -quality 90 "$out/large/$i.jpg" ;;
    small) convert "$out/base/$base.png" "${common[@]}" -resize 1024x768! -quality 90 "$out/small/$i.jpg" ;;
    gif) convert "$out/base/$base.png" "${common[@]}" -resize 640x480! -colors 256 "$out/gif/$i.gif" ;;
    bmp) convert "$out/base/$base.png" "${common[@]}" -resize 1024x768! -type TrueColor "BMP3:$out/bmp/$i.bmp" ;;
    png) convert "$out/small/$i.jpg" "PNG24:$out/png/$i.png" ;;
    webp) cwebp -quiet -q 80 "$out/small/$i.jpg" -o "$out/webp/$i.webp" ;;
  esac
}
export -f derive
{ for i in $(seq -w 0 199); do echo "large $i"; echo "small $i"; done
  for i in $(seq -w 0 99); do echo "gif $i"; echo "bmp $i"; done; } |
  xargs -P 2 -L 1 bash -c 'derive "$0" "$1" "$2"' "$out"
# From the small JPEGs, once those are all there.
for i in $(seq -f %03g 0 99); do echo "png $i"; echo "webp $i"; done |
  xargs -P 2 -L 1 bash -c 'derive "$0" "$1" "$2"' "$out"
touch "$out/.complete-png-webp"
