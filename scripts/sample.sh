#!/usr/bin/env bash
# Builds the project and runs the main job on the bundled sample library:
# lists its symbols and renders each of them to a PNG picture.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh" "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
samples="$here/build/samples"
lib="$samples/sample.tvl"
colors="$samples/layer_colors.txt"
out="$samples/png"

echo "Symbols in $lib:"
"$here/build/bin/tvl" list "$lib"

"$here/build/bin/tvl" render "$lib" --all -o "$out" --colors "$colors" --rotation 30 --tilt -25 --size 512
"$here/build/bin/tvl" render "$lib" LAMP -o "$out/LAMP_window.png" --window 640x480 \
  --rotation 30 --tilt -25 --colors "$colors" --background 202840
echo "Pictures are in $out"
