#!/usr/bin/env bash
# Makes pairs of pictures that must and must not count as the same picture, from the
# wallpaper photographs of scripts/install-deps, and lists them in <folder>/pairs.txt as
# "<same|different> <kind> <file a> <file b>" for signature_pairs.
# Usage: bench/pictures/make-signature-pairs.sh [folder, default /tmp/vexilo-signature-pairs]
set -euo pipefail
folder=${1:-/tmp/vexilo-signature-pairs}
[ -s "$folder/pairs.txt" ] && exit 0
mkdir -p "$folder"
photos=()
for images in /usr/share/wallpapers/*/contents/images; do
  photos+=("$images/$(ls -S "$images" | head -1)")
done
# The vnc pair are 256-pixel planes of one colour: every change of them is the same picture.
for file in /usr/share/backgrounds/gnome/*.webp; do
  case $file in */vnc-*) ;; *) photos+=("$file") ;; esac
done
[ ${#photos[@]} -gt 0 ] || { echo "no wallpapers: run scripts/install-deps" >&2; exit 1; }

pairs=$folder/pairs.txt.new
: >"$pairs"
bases=()
for photo in "${photos[@]}"; do
  name=$(basename "$(dirname "$(dirname "$(dirname "$photo")")")")
  case $photo in /usr/share/backgrounds/*) name=$(basename "$photo" .webp) ;; esac
  out=$folder/$name
  mkdir -p "$out"
  # The originals are up to 5120 pixels wide: the copies are made from a 1600-pixel one.
  convert "$photo" -resize 1600x1600 -quality 95 "$out/base.jpg"
  bases+=("$out/base.jpg")
  same() { echo "same $1 $out/base.jpg $out/$2" >>"$pairs"; }
  different() { echo "different $1 ${3:-$out/base.jpg} $out/$2" >>"$pairs"; }
  for percent in 90 75 50 25 15 10; do
    convert "$out/base.jpg" -resize "$percent%" -quality 90 "$out/size$percent.jpg"
    same "resize-$percent" "size$percent.jpg"
  done
  for quality in 30 40 50 75 90 100; do
    convert "$out/base.jpg" -quality "$quality" "$out/q$quality.jpg"
    same "quality-$quality" "q$quality.jpg"
  done
  convert "$out/base.jpg" -resize 10% -quality 30 "$out/small-q30.jpg"
  same "resize-10-quality-30" "small-q30.jpg"
  convert "$out/base.jpg" -resize 50% "$out/half.png"
  same "png-50" "half.png"
  convert "$out/base.jpg" -flop "$out/mirror.jpg"
  different mirror mirror.jpg
  convert "$out/base.jpg" -colorspace Gray "$out/grey.jpg"
  different grey grey.jpg
  convert "$out/base.jpg" -modulate 100,130 "$out/saturated.jpg"
  different grade-saturation saturated.jpg
  convert "$out/base.jpg" -modulate 100,100,92 "$out/hue.jpg"
  different grade-hue hue.jpg
  convert "$out/base.jpg" -modulate 110 "$out/brighter.jpg"
  different grade-brightness brighter.jpg
  convert "$out/base.jpg" -sepia-tone 80% "$out/sepia.jpg"
  different grade-sepia sepia.jpg
  convert "$out/base.jpg" -channel R -evaluate multiply 1.08 +channel "$out/warm.jpg"
  different grade-warm warm.jpg
  convert "$out/base.jpg" -level 8%,92% "$out/contrast.jpg"
  different grade-contrast contrast.jpg
  convert "$out/base.jpg" -gravity center -crop 90%x90%+0+0 +repage "$out/crop90.jpg"
  different crop-90 crop90.jpg
  convert "$out/base.jpg" -gravity north -crop 100%x80%+0+0 +repage "$out/crop-top.jpg"
  different crop-aspect crop-top.jpg
  # A scene shifted by a few percent: two windows of the same size, 6, 3, 2 and 1 % apart.
  convert "$out/base.jpg" -gravity northwest -crop 94%x94%+0+0 +repage "$out/window.jpg"
  convert "$out/base.jpg" -gravity northeast -crop 94%x94%+0+0 +repage "$out/shift6.jpg"
  different shift-6 shift6.jpg "$out/window.jpg"
  for shift in 3 2 1; do
    convert "$out/base.jpg" -gravity northwest -crop "94%x94%+$((16 * shift))+0" +repage \
      "$out/shift$shift.jpg"
    different "shift-$shift" "shift$shift.jpg" "$out/window.jpg"
  done
  convert "$out/base.jpg" -gravity northwest -crop 94%x94%+8+0 +repage "$out/shift05.jpg"
  different shift-0.5 shift05.jpg "$out/window.jpg"
  convert "$out/base.jpg" -gravity northwest -crop 94%x94%+0+20 +repage "$out/shift-down.jpg"
  different shift-down-2 shift-down.jpg "$out/window.jpg"
  # A smaller copy of the window: the pair of a shift must not merge at another size either.
  convert "$out/shift2.jpg" -resize 25% "$out/shift2-small.jpg"
  different shift-2-resized shift2-small.jpg "$out/window.jpg"
  # A burst: the next shot moved a little, the light a little different.
  convert "$out/base.jpg" -gravity northwest -crop 94%x94%+16+10 +repage -modulate 103 \
    "$out/burst.jpg"
  different burst burst.jpg "$out/window.jpg"
done
# Different photos, each with each.
for ((i = 0; i < ${#bases[@]}; ++i)); do
  for ((j = i + 1; j < ${#bases[@]}; ++j)); do
    echo "different other-photo ${bases[i]} ${bases[j]}" >>"$pairs"
  done
done
# Two wallpapers of one series, dark and light.
for dark in "$folder"/*-d/base.jpg; do
  light=${dark%-d/base.jpg}-l/base.jpg
  [ -e "$light" ] && echo "different series $dark $light" >>"$pairs"
done
mv "$pairs" "$folder/pairs.txt"
