#!/usr/bin/env bash
# Installs the Debian packages the build needs (when root) and configures + builds
# one build tree.  Usage: scripts/setup.sh BUILD_DIR [extra cmake args...]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev libbenchmark-dev
          libegl-dev libegl-mesa0 libgl1-mesa-dri libgl-dev libglu1-mesa-dev
          libpng-dev zlib1g-dev libcli11-dev clang libclang-rt-dev
          chromium chromium-driver python3-selenium xvfb xdotool x11-apps libfltk1.3-dev
          dpkg-dev python3 python3-ezdxf libxml2-utils librecad-data liblzma-dev
          python3-matplotlib hershey-fonts-data)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  if [[ $(id -u) -eq 0 ]]; then
    echo "setup: installing ${missing[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${missing[@]}" >/dev/null
  else
    echo "setup: missing packages; run: sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
fi

build="${1:?build directory}"; shift
cmake -S "$here" -B "$build" "$@" >/dev/null
cmake --build "$build" -j "$(nproc)"
