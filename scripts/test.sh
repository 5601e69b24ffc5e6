#!/usr/bin/env bash
# Builds the project twice (plain, and with AddressSanitizer + UndefinedBehaviorSanitizer)
# and runs the whole test suite in both.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"

"$here/scripts/setup.sh" "$here/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKEL_BENCH=OFF
(cd "$here/build" && ctest --output-on-failure -j "$jobs" --timeout 300)
"$here/scripts/examples.sh" "$here/build"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:suppressions=$here/tests/asan.supp"
export LSAN_OPTIONS="suppressions=$here/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
"$here/scripts/setup.sh" "$here/build-asan" -DCMAKE_BUILD_TYPE=Debug -DSKEL_SANITIZE=ON -DSKEL_BENCH=OFF
# The whole parts-library corpus runs in the plain build only (3 minutes under the sanitizers).
(cd "$here/build-asan" && ctest --output-on-failure -j "$jobs" --timeout 600 -LE corpus)

# The fuzz tree builds, and each harness runs briefly over its saved inputs.
"$here/scripts/fuzz.sh" 10
