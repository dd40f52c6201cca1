#!/bin/sh
# Renders the fixed-size icons from the scalable one: data/icons/render.sh [FOLDER]
# writes FOLDER/<size>x<size>/apps/io.github.lumdrak.Lumdrak.png (FOLDER defaults to the
# hicolor folder beside this script, so a plain run regenerates the committed images).
# The 32-pixel image is not rendered: it is the window's own icon and is kept as drawn.
# Needs rsvg-convert (Debian package librsvg2-bin).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/hicolor}
svg=$here/hicolor/scalable/apps/io.github.lumdrak.Lumdrak.svg
for size in 16 22 24 48 64 128 256; do
    mkdir -p "$out/${size}x${size}/apps"
    rsvg-convert --width="$size" --height="$size" --output="$out/${size}x${size}/apps/io.github.lumdrak.Lumdrak.png" "$svg"
done
