#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program on the embedded demo database.
# Extra arguments go to the program (see --help).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DSPB_BUILD_TESTS=OFF -DSPB_BUILD_BENCH=OFF >/dev/null
# --help and --check show no window: no display needed (and --help not even the plug-in).
for arg in "$@"; do
  case "$arg" in
    --help|-h|--check)
      cmake --build build/release -j"$(nproc)" --target subpricebill-host
      exec build/release/app/subpricebill-host "$@" ;;
  esac
done
cmake --build build/release -j"$(nproc)" --target subpricebill-host subpricebill
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found. The program shows windows; run it under a virtual display:" >&2
  echo "  xvfb-run -a ./run.sh $*" >&2
  exit 1
fi
exec build/release/app/subpricebill-host "$@"
