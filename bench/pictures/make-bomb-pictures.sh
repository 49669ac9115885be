#!/usr/bin/env bash
# Makes the folders of the picture memory benchmark once, in $1 or /tmp/vexilo-bomb-pictures:
#   bombs/    200 GIFs of 35 bytes whose logical screen is 10000 x 10000
#   screens/  200 GIFs of 35 bytes whose logical screen is 4000 x 4000 (16 megapixels)
#   mixed/    40 of each kind above, 40 JPEGs 3000 x 2000 and 40 GIFs 640 x 480 (ImageMagick)
set -euo pipefail
out=${1:-/tmp/vexilo-bomb-pictures}
[ -f "$out/.complete" ] && exit 0
mkdir -p "$out/bombs" "$out/screens" "$out/mixed"
# gif <file> <side>: one 1 x 1 image on a square screen, two colours, 35 bytes in all.
gif() {
  local lo=$(( $2 & 255 )) hi=$(( $2 >> 8 ))
  local side; side=$(printf '\\x%02x\\x%02x' "$lo" "$hi")
  printf "GIF89a${side}${side}"'\x80\x00\x00\x00\x00\x00\xff\xff\xff\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b' > "$1"
}
for i in $(seq -w 0 199); do
  gif "$out/bombs/$i.gif" 10000
  gif "$out/screens/$i.gif" 4000
done
convert -size 3000x2000 -seed 1 plasma:fractal -attenuate 0.3 +noise Gaussian "$out/base.png"
for n in $(seq 0 39); do
  i=$(printf %03d "$n")
  cp "$out/bombs/$i.gif" "$out/mixed/bomb$i.gif"
  cp "$out/screens/$i.gif" "$out/mixed/screen$i.gif"
  convert "$out/base.png" -roll "+$(( n * 37 ))+0" -quality 90 "$out/mixed/photo$i.jpg"
  convert "$out/base.png" -roll "+$(( n * 37 ))+0" -resize 640x480! -colors 256 "$out/mixed/small$i.gif"
done
rm "$out/base.png"
touch "$out/.complete"
