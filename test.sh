#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite on the three databases: SQLite
# through the embedded driver, the same file through the SQLite ODBC driver, and PostgreSQL through
# psqlODBC. A throwaway PostgreSQL cluster is started in a temporary folder for the run and stopped
# and removed at the end, whatever the outcome.
# SPB_SANITIZE=1 builds and runs it under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
if [ "${SPB_SANITIZE:-0}" = 1 ]; then
  dir=build/asan; opts=(-DCMAKE_BUILD_TYPE=Debug -DSPB_SANITIZE=ON -DSPB_BUILD_BENCH=OFF -DSPB_PG_TESTS=ON)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
else
  dir=build/test; opts=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DSPB_PG_TESTS=ON)
fi
cmake -S . -B "$dir" "${opts[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
pgdir=$(mktemp -d "${TMPDIR:-/tmp}/spb-pg.XXXXXX")
trap 'scripts/pg-cluster.sh stop "$pgdir"' EXIT
trap 'exit 143' INT TERM HUP
scripts/pg-cluster.sh start "$pgdir"
# shellcheck disable=SC1091
. "$pgdir/env"
ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" --timeout 600
