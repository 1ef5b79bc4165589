#!/usr/bin/env bash
# Makes the benchmark's folders of camera-like photos from the real photographs that Debian's
# plasma-workspace-wallpapers and mate-backgrounds ship: 12-20 megapixel 4:3 baseline JPEGs
# with 4:2:0 sampling and a little sensor noise, each with an EXIF block (make, model,
# orientation) and a 160 x 120 embedded thumbnail as cameras write it, and the same photos
# without the thumbnail. ImageMagick and exiftool make them; the program never uses either.
# Usage: make-camera-photos.sh OUTDIR [COUNT]   (OUTDIR/exif and OUTDIR/plain, COUNT >= 40)
set -euo pipefail
out=${1:?usage: make-camera-photos.sh OUTDIR [COUNT]}
count=${2:-40}
for tool in convert exiftool; do
  command -v $tool >/dev/null || { echo "needs $tool (imagemagick, libimage-exiftool-perl)" >&2; exit 2; }
done
mkdir -p "$out/exif" "$out/plain"
[ "$(ls "$out/exif" | wc -l)" -ge "$count" ] && [ "$(ls "$out/plain" | wc -l)" -ge "$count" ] && exit 0

# One file per distinct photograph (the packages link one picture under many sizes).
mapfile -t sources < <(find /usr/share/wallpapers /usr/share/backgrounds -iname '*.jpg' \
  -exec realpath {} \; 2>/dev/null | sort -u | xargs -r identify -format '%w %h %i\n' 2>/dev/null |
  awk '$1 * $2 >= 2000000 { print $3 }' | sort -u)
[ ${#sources[@]} -gt 0 ] || { echo "no photographs: install plasma-workspace-wallpapers mate-backgrounds" >&2; exit 2; }

sizes=(4000x3000 4608x3456 5184x3888)
models=("E-M1" "EOS 70D" "NEX-3N")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for ((i = 0; i < count; i++)); do
  src=${sources[$((i % ${#sources[@]}))]}
  size=${sizes[$((i % 3))]}
  name=$(printf 'P%07d.JPG' $((1000 + i)))
  # Each repeat of a source takes another part of it, so no two photos are alike.
  gravity=(Center NorthWest SouthEast NorthEast SouthWest)
  g=${gravity[$(((i / ${#sources[@]}) % 5))]}
  convert "$src" -strip -resize "${size}^" -gravity "$g" -extent "$size" \
    -attenuate 0.4 +noise Gaussian -sampling-factor 2x2 -interlace none -quality 92 \
    "$tmp/$name"
  convert "$tmp/$name" -resize 160x120! -quality 80 "$tmp/thumb.jpg"
  exiftool -q -overwrite_original -Make=Framewise-Bench "-Model=${models[$((i % 3))]}" \
    -Orientation#=1 "-ThumbnailImage<=$tmp/thumb.jpg" "$tmp/$name"
  cp "$tmp/$name" "$out/exif/$name"
  exiftool -q -overwrite_original -ThumbnailImage= -IFD1:all= "$tmp/$name"
  mv "$tmp/$name" "$out/plain/$name"
done
