#!/usr/bin/env bash
# Builds the project and runs the main job on the bundled samples: lists the
# sample library's symbols and writes the gallery of its symbols (a site to
# open from disk) to build/samples/gallery/, printing the path of index.html.
# When the bundled sample drawings (samples/drawings/*.dxf) are there, they are
# packed into build/samples/drawings.tvl and get a section of their own.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh" "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
samples="$here/build/samples"
tvl="$here/build/bin/tvl"
libraries=("$samples/sample.tvl")

shopt -s nullglob
drawings=("$here"/samples/drawings/*.dxf)
if ((${#drawings[@]})) && "$tvl" pack --help >/dev/null 2>&1; then
  "$tvl" pack "$samples/drawings.tvl" "${drawings[@]}" --quiet
  libraries+=("$samples/drawings.tvl")
fi

echo "Symbols in ${libraries[0]}:"
"$tvl" list "${libraries[0]}"

# The last line on standard output is the path of index.html.
"$tvl" gallery "${libraries[@]}" -o "$samples/gallery" --colors "$samples/layer_colors.txt"
