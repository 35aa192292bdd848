#!/usr/bin/env bash
# Measures the operations an operator waits on at one data size:
#   bench/run.sh [small|medium|large]     (default: large)
# Generates the data set when it is missing or was made by another schema (build/bench-data),
# builds the benchmarks (Release, build/bench), runs every operation through the system and as a
# hand-written SQLite program on a fresh copy of the data, and prints each "ratio <operation>: <x>"
# and the peak resident memory of the host's windows on that data in MiB.
# Environment: SPB_BENCH_BUILD (build folder), SPB_BENCH_DATA (data folder), SPB_BENCH_ARGS (extra
# Google Benchmark options, e.g. --benchmark_filter=lookup).
set -euo pipefail
size=${1:-large}
case "$size" in small|medium|large) ;; *) echo "usage: bench/run.sh [small|medium|large]" >&2; exit 2 ;; esac
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SPB_BENCH_BUILD:-$root/build/bench}
data=${SPB_BENCH_DATA:-$root/build/bench-data}
jobs=$(nproc)

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSPB_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$jobs" --target spb-gendata spb_bench spb_memory

# A data set is kept as long as the schema and the generator that made it are the same.
mkdir -p "$data"
db="$data/$size.db"
stamp=$(cat "$root/schema/host_schema.sql" "$root/schema/ScaleDatabase.cpp" "$root/schema/DemoDataSet.cpp" \
        "$root/schema/DemoDatabase.cpp" | sha256sum | cut -c1-16)
if [ ! -f "$db" ] || [ "$(cat "$db.stamp" 2>/dev/null)" != "$stamp" ]; then
  rm -f "$db" "$db.stamp" "$db.new" "$db.new-wal" "$db.new-shm"
  "$build/schema/spb-gendata" "$size" "$db.new"
  mv "$db.new" "$db"
  echo "$stamp" > "$db.stamp"
fi

# The measurements write (and undo) bills and prices: they work on a copy.
work="$data/$size-work.db"
trap 'rm -f "$work" "$work-wal" "$work-shm"' EXIT
cp "$db" "$work"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
echo "== $size: $(uname -n), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
# shellcheck disable=SC2086
"$build/bench/spb_bench" --db="$work" ${SPB_BENCH_ARGS:-} 2> >(grep -v -e XDG_RUNTIME_DIR -e propagateSizeHints >&2)
echo
"$build/bench/spb_memory" --db="$work" 2> >(grep -v -e XDG_RUNTIME_DIR -e propagateSizeHints >&2)
