#!/bin/sh
# Regenerates the application icon for the desktop menu (ImageMagick's convert): a controller
# front with a display showing a sine wave, and three indicator lights. Drawn once at 256 px and
# scaled down to the sizes of the hicolor icon theme. -strip keeps dates out of the files, so a
# rerun changes nothing.
set -e
cd "$(dirname "$0")/../desktop/icons"
# The wave as separate line segments with round caps: convert closes the stroke of a polyline.
wave=$(awk 'function y(x) { return 112 - 36 * sin((x - 52) / 152 * 4 * 3.14159265) }
            BEGIN { for (x = 52; x < 204; x += 4) printf "line %d,%d %d,%d ", x, y(x), x + 4, y(x + 4) }')
convert -size 256x256 xc:none \
    -fill '#1848a0' -stroke '#0c2450' -strokewidth 8 -draw "roundrectangle 12,20 244,236 28,28" \
    -fill '#0c1c28' -stroke '#c8d8f0' -strokewidth 6 -draw "roundrectangle 36,48 220,176 10,10" \
    -fill none -stroke '#50ff70' -strokewidth 10 -draw "stroke-linecap round stroke-linejoin round $wave" \
    -stroke none -fill '#50ff70' -draw "circle 72,206 84,206" \
    -fill '#ffc030' -draw "circle 128,206 140,206" \
    -fill '#ff5040' -draw "circle 184,206 196,206" \
    -strip PNG32:k330-terminal-256.png
for size in 16 22 24 32 48 64 128; do
    convert k330-terminal-256.png -filter Lanczos -resize ${size}x${size} -strip \
        PNG32:k330-terminal-$size.png
done
