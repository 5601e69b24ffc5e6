#!/usr/bin/env bash
# Builds the project and runs the main job on the bundled sample library.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup.sh" "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
lib="$here/build/samples/sample.tvl"
echo "Symbols in $lib:"
"$here/build/bin/tvl" list "$lib"
