#!/bin/sh
# Remakes the window's pictures, the program icon and the display font from
# the committed scripts, with Debian tools only:
#   python3 (stdlib) + python3-fontforge, librsvg2-bin (rsvg-convert),
#   imagemagick (convert), fonts-dejavu-core (lettering), fonts-dseg (font source).
# The outputs are committed; run this after changing a script. Sounds are made
# by sounds/ and are not touched here.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
pictures="$here/pictures"
fonts="$here/fonts"
python=/usr/bin/python3
convert=/usr/bin/convert
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Pictures: SVG sources, rendered at their exact size, stored as baseline JPEG.
"$python" "$pictures/make-pictures.py" "$pictures"

toJpeg() { # name width height
    rsvg-convert -w "$2" -h "$3" -b white "$pictures/svg/$1.svg" -o "$work/$1.png"
    "$convert" "$work/$1.png" -background white -flatten -alpha off -strip -type TrueColor \
        -interlace none -sampling-factor 1x1 -quality 92 "$pictures/$1.jpg"
}
toJpeg bg 600 300
toJpeg on 50 25
toJpeg off 50 25
toJpeg settings 27 27
toJpeg track 25 25
toJpeg buzz 29 46
toJpeg song 24 47

# Icon: transparent PNGs for the desktop, and an icon file for Windows with
# 16 to 256 pixel images in 32-bit colour, from the same drawings: the full
# one from 40 pixels up, the simplified one at 20 to 32, the pixel drawing at 16.
for size in 48 64 128; do
    rsvg-convert -w $size -h $size "$pictures/icon.svg" -o "$pictures/icon-$size.png"
done
rsvg-convert -w 32 -h 32 "$pictures/svg/icon-32.svg" -o "$pictures/icon-32.png"
rsvg-convert -w 16 -h 16 "$pictures/svg/icon-small.svg" -o "$pictures/icon-16.png"
for size in 20 24; do
    rsvg-convert -w $size -h $size "$pictures/svg/icon-32.svg" -o "$work/icon-$size.png"
done
for size in 40 256; do
    rsvg-convert -w $size -h $size "$pictures/icon.svg" -o "$work/icon-$size.png"
done
"$python" "$pictures/make-ico.py" "$pictures/icon.ico" "$pictures/icon-16.png" "$work/icon-20.png" \
    "$work/icon-24.png" "$pictures/icon-32.png" "$work/icon-40.png" "$pictures/icon-48.png" \
    "$pictures/icon-64.png" "$work/icon-256.png"

# Font: the four DS-DIGITAL files and their licence.
"$python" "$fonts/make-fonts.py" "$fonts" 2>/dev/null
