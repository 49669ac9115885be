#!/usr/bin/env bash
# Makes the grid benchmark's folder once: 20 000 small JPEGs cut from rolled, recoloured
# copies of four plasma-fractal pictures, in $1 or /tmp/vexilo-grid-pictures. By default
# mostly 400 x 300, the edge tiles narrower or shorter; VEXILO_GRID_TILE=WxH (say 300x300)
# cuts every picture at that size instead. Not part of the repository.
set -euo pipefail
out=${1:-/tmp/vexilo-grid-pictures}
count=${VEXILO_GRID_PICTURES:-20000}
tile=${VEXILO_GRID_TILE:-}
if [ -n "$tile" ]; then
  [[ $tile =~ ^([0-9]+)x([0-9]+)$ ]] || { echo "VEXILO_GRID_TILE is WxH" >&2; exit 2; }
  base=$(( BASH_REMATCH[1] * 5 ))x$(( BASH_REMATCH[2] * 5 ))
else
  tile=400x300 base=1800x1300
fi
[ -f "$out/.complete-$count" ] && exit 0
mkdir -p "$out/base" "$out/pictures"
for seed in 1 2 3 4; do
  [ -f "$out/base/$seed.png" ] || convert -size "$base" -seed "$seed" plasma:fractal -blur 0x1 \
    -attenuate 0.3 +noise Gaussian "$out/base/$seed.png"
done
cut() {  # cut <out> <tile> <run>: the 25 tiles of one rolled copy (5 x 5)
  local out=$1 tile=$2 n=$((10#$3))
  compgen -G "$out/pictures/$3-*.jpg" > /dev/null && return 0
  convert "$out/base/$(( n % 4 + 1 )).png" -roll "+$(( n * 37 ))+$(( n * 23 ))" \
    -modulate "100,$(( 90 + n % 20 )),$(( 95 + n % 10 ))" -crop "$tile" +repage \
    -quality 85 "$out/pictures/$3-%02d.jpg"
}
export -f cut
runs=$(( (count + 24) / 25 ))
seq -f %04g 0 $(( runs - 1 )) | xargs -P 2 -I{} bash -c 'cut "$0" "$1" "$2"' "$out" "$tile" {}
# Exactly count files: the last run's extra tiles go.
ls "$out/pictures" | sort | tail -n +$(( count + 1 )) | sed "s|^|$out/pictures/|" | xargs -r rm -f
touch "$out/.complete-$count"
