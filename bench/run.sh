#!/usr/bin/env bash
# Measures the operations an operator waits on at one data size:
#   bench/run.sh [--db-url CONNECTION-STRING] [small|medium|large]     (default: large)
# Without --db-url (and without SPB_BENCH_DB_URL) on SQLite: generates the data set when it is
# missing or was made by another schema (build/bench-data), builds the benchmarks (Release,
# build/bench), runs every operation through the system and as a hand-written SQLite program on a
# fresh copy of the data, and prints each "ratio <operation>: <x>" and the peak resident memory of
# the host's windows on that data in MiB.
# With --db-url on PostgreSQL: the ODBC connection string of a database on the server (e.g.
# "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=5432;Database=bench;Uid=me;Pwd=secret").
# The system connects with it; the hand-written program is a libpq one on the same database, and
# runs a second time through the ODBC driver of the connection string (the driver's own cost). The
# database must be empty: the data set is generated into it and marked with the size and a stamp
# of the schema and generator (table spb_dataset). A database that holds the same data set is
# measured again as it is; any other database with host tables is refused and left untouched
# (give an empty database, or drop and create it again). The measurements write and take back
# what they wrote in that database itself.
# Environment: SPB_BENCH_DB_URL (as --db-url), SPB_BENCH_BUILD (build folder), SPB_BENCH_DATA
# (data folder), SPB_BENCH_ARGS (extra Google Benchmark options, e.g. --benchmark_filter=lookup).
set -euo pipefail
usage() { echo "usage: bench/run.sh [--db-url CONNECTION-STRING] [small|medium|large]" >&2; exit 2; }
db_url=${SPB_BENCH_DB_URL:-}
size=large
while [ $# -gt 0 ]; do
  case "$1" in
    --db-url) [ $# -ge 2 ] || usage; db_url=$2; shift 2 ;;
    --db-url=*) db_url=${1#--db-url=}; shift ;;
    small|medium|large) size=$1; shift ;;
    *) usage ;;
  esac
done
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SPB_BENCH_BUILD:-$root/build/bench}
data=${SPB_BENCH_DATA:-$root/build/bench-data}
jobs=$(nproc)

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DSPB_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j"$jobs" --target spb-gendata spb_bench spb_memory

# A data set is kept as long as the schema and the generator that made it are the same.
stamp=$(cat "$root/schema/host_schema.sql" "$root/schema/ScaleDatabase.cpp" "$root/schema/DemoDataSet.cpp" \
        "$root/schema/DemoDatabase.cpp" | sha256sum | cut -c1-16)
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
quiet() { grep -v -e XDG_RUNTIME_DIR -e propagateSizeHints >&2; }

if [ -n "$db_url" ]; then
  "$build/schema/spb-gendata" "$size" --connection "$db_url" --stamp "$size-$stamp"
  echo "== $size on PostgreSQL: $(uname -n), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
  # shellcheck disable=SC2086
  "$build/bench/spb_bench" --db-url="$db_url" ${SPB_BENCH_ARGS:-} 2> >(quiet)
  echo
  "$build/bench/spb_memory" --db-url="$db_url" 2> >(quiet)
  exit 0
fi

mkdir -p "$data"
db="$data/$size.db"
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
echo "== $size: $(uname -n), $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')"
# shellcheck disable=SC2086
"$build/bench/spb_bench" --db="$work" ${SPB_BENCH_ARGS:-} 2> >(quiet)
echo
"$build/bench/spb_memory" --db="$work" 2> >(quiet)
