#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite (both database drivers).
# SPB_SANITIZE=1 builds and runs it under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
if [ "${SPB_SANITIZE:-0}" = 1 ]; then
  dir=build/asan; opts=(-DCMAKE_BUILD_TYPE=Debug -DSPB_SANITIZE=ON -DSPB_BUILD_BENCH=OFF)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
else
  dir=build/test; opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
fi
cmake -S . -B "$dir" "${opts[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" --timeout 600
