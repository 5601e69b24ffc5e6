#!/usr/bin/env bash
# Installs a built tree into a clean prefix, builds the example hosts against
# it twice (CMake package, pkg-config) and runs them; then makes the Debian
# package and runs tvl from its contents.
#   scripts/examples.sh [BUILD_DIR]      (default: build, as scripts/test.sh makes it)
# SKELVANE_INSTALL_DEB=1 also installs the package with apt and removes it again
# (for a fresh CI machine; needs root).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build}"
library="$build/samples/sample.tvl"
[[ -f "$library" ]] || { echo "examples: no $library; build the tree first" >&2; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/skelvane-examples.XXXXXX")"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
strict=(-O2 -Wall -Wextra -Wpedantic -Werror)
export SKELVANE_UI=none SKELVANE_UI_LOG="$work/ui.log" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"

step() { echo "examples: $*" >&2; }
fail() { echo "examples: FAILED: $*" >&2; exit 1; }

step "installing into a clean prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
for f in "$prefix"/bin/tvl "$prefix"/lib/lib*.so.*.*; do
  if readelf -d "$f" | grep -E 'R(UN)?PATH' | grep -qF "$build"; then
    fail "$f still looks for libraries in the build tree"
  fi
done
[[ "$("$prefix/bin/tvl" --version)" == "tvl "* ]] || fail "tvl --version from the prefix"
viewer="$(ls "$prefix"/lib*/libTavrel_Viewer.so.*.*)"
[[ -x "$(dirname "$viewer")/3dsolids_files/Vorstep.exe" ]] || fail "no solids converter beside $viewer"

step "building the examples with find_package"
cmake -S "$here/examples" -B "$work/with-cmake" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_C_FLAGS="${strict[*]}" -DCMAKE_CXX_FLAGS="${strict[*]}" >/dev/null
cmake --build "$work/with-cmake" -j "$(nproc)" >/dev/null

step "building the examples with pkg-config"
mkdir -p "$work/with-pkgconfig"
make -s -C "$here/examples" OUT="$work/with-pkgconfig" PKG_CONFIG_PATH="$prefix/lib/pkgconfig" \
  CFLAGS="${strict[*]}" CXXFLAGS="${strict[*]}"

# Runs the three examples built in $1.
run_examples() {
  local bin="$1" out
  out="$("$bin/list_symbols" "$library" CHAIR)" || fail "$bin/list_symbols"
  grep -q '^symbol CHAIR$' <<<"$out" || fail "$bin/list_symbols did not list CHAIR"
  grep -q '"ENDBLK"' <<<"$out" || fail "$bin/list_symbols did not print the block's end"

  "$bin/render_png" "$library" CHAIR "$work/chair.png" 128 >/dev/null || fail "$bin/render_png"
  /usr/bin/python3 - "$work/chair.png" <<'EOF' || fail "$bin/render_png wrote no picture of the chair"
import sys, zlib
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n"
idat, at = b"", 8
while at < len(data):
    n = int.from_bytes(data[at:at + 4], "big")
    if data[at + 4:at + 8] == b"IDAT":
        idat += data[at + 8:at + 8 + n]
    at += 12 + n
pixels = zlib.decompress(idat)
assert len(set(pixels)) > 8, "blank picture"
EOF

  local item="$work/item"
  rm -rf "$item" && mkdir -p "$item" && cp "$build/bin/pellimax.exe" "$item/"
  out="$(cd "$item" && "$bin/specify_item" "$item/result.txt" ABC-123 M1)" || fail "$bin/specify_item"
  grep -q '^PN=ABC-123$' <<<"$out" || fail "$bin/specify_item did not get the item back"
}
run_examples "$work/with-cmake"
run_examples "$work/with-pkgconfig"
# Any message box means a failure the programs did not report.
[[ ! -s "$work/ui.log" ]] || fail "the examples showed message boxes: $(cat "$work/ui.log")"

step "making the Debian package"
(cd "$build" && cpack -G DEB -B "$work/deb" >/dev/null)
deb="$(ls "$work"/deb/*.deb)"
dpkg-deb -x "$deb" "$work/root"
[[ "$("$work/root/usr/bin/tvl" --version)" == "tvl "* ]] || fail "tvl --version from the package's files"
if [[ "${SKELVANE_INSTALL_DEB:-0}" == 1 ]]; then
  step "installing and removing $(basename "$deb")"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >/dev/null
  [[ "$(tvl --version)" == "tvl "* ]] || fail "tvl --version after apt install"
  DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq skelvane >/dev/null
elif command -v apt-get >/dev/null; then
  apt-get install -s "$deb" >/dev/null || fail "apt cannot install $(basename "$deb")"
fi
step "all passed"
