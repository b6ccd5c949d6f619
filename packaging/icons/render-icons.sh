#!/bin/sh
# Renders the application icon's PNG sizes from its SVG (needs rsvg-convert
# from librsvg2-bin). The PNGs are committed; run this after changing the SVG.
set -eu
cd "$(dirname "$0")"
for size in 48 128 256; do
    rsvg-convert --width "$size" --height "$size" --output "velmor-sound-recorder-$size.png" velmor-sound-recorder.svg
done
