#!/usr/bin/env bash
# A throwaway PostgreSQL cluster for the tests, in a folder of its own:
#   pg-cluster.sh start DIR   initdb into DIR/data as the unprivileged `postgres` user (when run as
#                             root; as the caller otherwise), starts the server on a free port bound
#                             to 127.0.0.1 only with its socket in DIR, creates the test role `spb`
#                             and its database `spb`, and writes DIR/env with SPB_PG_CONNSTR (to
#                             that database), SPB_PG_PORT and ODBCSYSINI (the system's ODBC drivers
#                             with psqlODBC's logs off, DIR/odbc) for the tests.
#   pg-cluster.sh stop DIR    stops the server (fast, then immediate) and removes DIR.
#   pg-cluster.sh halt DIR    kills the server at once, as a crash or a pulled plug would (immediate
#                             shutdown: no checkpoint, every session cut); DIR is kept.
#   pg-cluster.sh resume DIR  starts a halted server again on its port (it recovers from its log).
# Nothing outside DIR is touched; no system service is used or enabled. The template databases
# that the tests copy are made by the test suite's own fixture (tests/support/PgTemplates.cpp).
set -euo pipefail

bindir=${SPB_PG_BINDIR:-}
if [ -z "$bindir" ]; then
  for candidate in /usr/lib/postgresql/*/bin; do
    [ -x "$candidate/initdb" ] && bindir=$candidate
  done
fi
[ -n "$bindir" ] && [ -x "$bindir/initdb" ] || { echo "pg-cluster.sh: PostgreSQL's initdb not found (package postgresql)" >&2; exit 1; }

cmd=${1:-}; dir=${2:-}
[ -n "$dir" ] || { echo "usage: pg-cluster.sh start|stop|halt|resume DIR" >&2; exit 2; }

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

# Local only. fsync is off (the throwaway cluster need not survive a crash of the machine), but a
# commit is written before it returns, so that a killed server (halt) keeps what it confirmed.
# The planner's page costs are those of a database in memory or on SSD, as docs/ODBC.md advises.
server_options() {
  echo "-c listen_addresses=127.0.0.1 -p $port -k $dir -c fsync=off -c full_page_writes=off -c max_connections=200 -c random_page_cost=1.1"
}

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

case "$cmd" in
start)
  [ -d "$dir" ] || mkdir -p "$dir"
  [ -z "$(ls -A "$dir")" ] || { echo "pg-cluster.sh: $dir is not empty" >&2; exit 1; }
  [ "$(id -u)" -ne 0 ] || chown postgres: "$dir"
  chmod 700 "$dir"
  # Local (socket) connections: only the cluster's owner reaches the socket in DIR, and trusts it.
  # TCP on 127.0.0.1: passwords, as a head office's server would ask.
  as_owner "$bindir/initdb" -D "$dir/data" -U postgres -E UTF8 --locale=C.UTF-8 \
    --auth-local=trust --auth-host=scram-sha-256 >"$dir/initdb.log" 2>&1 \
    || { cat "$dir/initdb.log" >&2; exit 1; }
  # Another process may take the port between the probe and the start: try a few.
  started=0
  for attempt in 1 2 3 4 5; do
    port=$(free_port)
    if as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
         -o "$(server_options)" \
         start >/dev/null; then
      started=1; break
    fi
  done
  [ $started = 1 ] || { echo "pg-cluster.sh: the server did not start; its log:" >&2; cat "$dir/server.log" >&2; exit 1; }
  for _ in $(seq 1 60); do
    as_owner "$bindir/pg_isready" -q -h "$dir" -p "$port" && break
    sleep 0.5
  done
  as_owner "$bindir/pg_isready" -q -h "$dir" -p "$port" || { echo "pg-cluster.sh: the server is not ready" >&2; exit 1; }
  # The test role creates and drops its databases; citext comes with every new database.
  as_owner "$bindir/psql" -X -q -v ON_ERROR_STOP=1 -h "$dir" -p "$port" -U postgres -d template1 <<'SQL'
CREATE ROLE spb LOGIN CREATEDB PASSWORD 'spb-test';
CREATE EXTENSION IF NOT EXISTS citext;
CREATE DATABASE spb OWNER spb;
SQL
  echo "$port" >"$dir/port"
  # The ODBC drivers as the system registers them, with psqlODBC's logs off: Debian registers it
  # with CommLog=1, and every process would leave a psqlodbc_*.log in /tmp. A driver that a test
  # registers goes into this copy, not into the system's file.
  mkdir -p "$dir/odbc"
  system_ini=$(odbcinst -j 2>/dev/null | sed -n 's/^DRIVERS\.*: *//p')
  if [ -n "$system_ini" ] && [ -f "$system_ini" ]; then
    sed -e 's/^\(CommLog\|Debug\)[[:space:]]*=.*/\1=0/' "$system_ini" >"$dir/odbc/odbcinst.ini"
  else
    : >"$dir/odbc/odbcinst.ini"
  fi
  cat >"$dir/env" <<ENV
export SPB_PG_PORT=$port
export SPB_PG_CONNSTR='Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$port;Database=spb;Uid=spb;Pwd=spb-test'
export ODBCSYSINI='$dir/odbc'
ENV
  chmod 644 "$dir/env"
  echo "PostgreSQL test cluster on 127.0.0.1:$port in $dir"
  ;;
stop)
  [ -d "$dir" ] || exit 0
  if [ -f "$dir/data/postmaster.pid" ]; then
    as_owner "$bindir/pg_ctl" -D "$dir/data" -m fast -w -t 30 stop >/dev/null 2>&1 \
      || as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate -w -t 30 stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
  ;;
halt)
  as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate -w -t 30 stop >/dev/null
  ;;
resume)
  port=$(cat "$dir/port")
  as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 \
    -o "$(server_options)" \
    start >/dev/null
  ;;
*)
  echo "usage: pg-cluster.sh start|stop|halt|resume DIR" >&2; exit 2 ;;
esac
