#!/usr/bin/env bash
# A throwaway PostgreSQL 15 server for the fleet tests.
#   postgres_server.sh start STATE   makes a cluster in a new temporary folder, starts it on a
#                                    free 127.0.0.1 port and writes "PORT USER FOLDER" to STATE
#   postgres_server.sh stop STATE    stops that server, removes its folder and STATE
# Anyone on this computer may connect as USER without a password (trust): the server lives only
# as long as a test run. initdb and postgres refuse to run as root, so as root (CI) they run as
# `nobody`, which then owns the folder.
set -euo pipefail

bin=/usr/lib/postgresql/15/bin
db_user=keldaro

as_server() {
  if [ "$(id -u)" -eq 0 ]; then
    setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"
  else
    "$@"
  fi
}

start() {
  local state=$1
  stop "$state"  # the server of an earlier run that was cut short
  if [ ! -x "$bin/initdb" ]; then
    echo "PostgreSQL 15 is not installed ($bin/initdb is missing): run scripts/setup.sh" >&2
    exit 1
  fi
  # /tmp, not $TMPDIR, as root: `nobody` must be able to reach the folder.
  local parent=${TMPDIR:-/tmp}
  [ "$(id -u)" -ne 0 ] || parent=/tmp
  local folder
  folder=$(mktemp -d "$parent/keldaro-postgres.XXXXXX")
  [ "$(id -u)" -ne 0 ] || chown nobody:nogroup "$folder"
  if ! as_server "$bin/initdb" -D "$folder/data" -U "$db_user" -A trust -E UTF8 --locale=C \
    --no-sync --no-instructions >"$folder/initdb.log" 2>&1; then
    cat "$folder/initdb.log" >&2
    rm -rf "$folder"
    exit 1
  fi
  # A port picked at random may be taken by the time the server binds it: try a few. The
  # server keeps nothing worth a crash-safe write, and no Unix socket (it listens on TCP only).
  local port tries
  for tries in 1 2 3 4 5; do
    port=$((20000 + RANDOM % 40000))
    if as_server "$bin/pg_ctl" -D "$folder/data" -l "$folder/server.log" -w -t 60 -s start \
      -o "-p $port -c listen_addresses=127.0.0.1 -c unix_socket_directories='' \
          -c fsync=off -c synchronous_commit=off -c full_page_writes=off"; then
      echo "$port $db_user $folder" >"$state"
      return 0
    fi
  done
  cat "$folder/server.log" >&2
  rm -rf "$folder"
  exit 1
}

stop() {
  local state=$1 port user folder
  [ -f "$state" ] || return 0
  read -r port user folder <"$state"
  as_server "$bin/pg_ctl" -D "$folder/data" -m immediate -w -s stop || true
  rm -rf "$folder" "$state"
}

case "${1:-}" in
  start) start "$2" ;;
  stop) stop "$2" ;;
  *)
    echo "usage: postgres_server.sh start|stop STATE" >&2
    exit 2
    ;;
esac
