#!/usr/bin/env bash
# Builds the libFuzzer tree (clang, -DSKEL_FUZZ=ON) and runs each harness for a
# while over a scratch copy of its saved inputs (tests/data/fuzz/NAME/).  Memory
# and time faults count as findings; any finding fails the run and is left in
# the scratch folder's NAME/ directory as crash-*, oom-* or timeout-*.
#   scripts/fuzz.sh [SECONDS_PER_HARNESS] [HARNESS...]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-10}"; shift || true
harnesses=("$@")
((${#harnesses[@]})) || harnesses=(reader vorstep cx entities callbacks colors faces bridge roundtrip dxf)
build="${SKEL_FUZZ_BUILD:-$here/build-fuzz}"

CC=clang CXX=clang++ cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKEL_FUZZ=ON \
  -DSKEL_BENCH=OFF >/dev/null
# The programs that load the instrumented libraries must link too (pellimax-host once did not).
cmake --build "$build" -j "$(nproc)" --target pellimax-host tvl "${harnesses[@]/%/_fuzzer}"

scratch="$(mktemp -d "${TMPDIR:-/tmp}/skelfuzz-run.XXXXXX")"
failed=0
for name in "${harnesses[@]}"; do
  mkdir -p "$scratch/$name/corpus"
  if [[ -d "$here/tests/data/fuzz/$name" ]]; then
    find "$here/tests/data/fuzz/$name" -type f -exec cp {} "$scratch/$name/corpus/" \;
  fi
  dict=()
  for d in "$here/fuzz/$name"/*.dict; do [[ -f "$d" ]] && dict=(-dict="$d"); done
  echo "fuzz: $name for ${seconds}s" >&2
  if ! (cd "$scratch/$name" && "$build/bin/${name}_fuzzer" corpus "${dict[@]}" -max_total_time="$seconds" \
          -rss_limit_mb=1024 -timeout=10 -print_final_stats=1 >"$scratch/$name/log" 2>&1); then
    echo "fuzz: $name found a fault; see $scratch/$name/" >&2
    tail -n 30 "$scratch/$name/log" >&2
    failed=1
  fi
done
((failed)) || rm -rf "$scratch"
exit "$failed"
