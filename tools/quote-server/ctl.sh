#!/usr/bin/env bash
# Starts a quote-server in the background on a free port of 127.0.0.1, or stops it again.
#
#   tools/quote-server/ctl.sh start BINARY STATE_DIR [SERVER OPTIONS...]   prints 127.0.0.1:PORT
#   tools/quote-server/ctl.sh stop STATE_DIR
#
# STATE_DIR receives "address", "pid" and "log". The server's output goes to the log only, so
# that a caller waiting for this script's output (ctest, a pipe) is not held by the server.
set -euo pipefail

case "${1:-}" in
start)
    binary=$2
    state=$3
    shift 3
    mkdir -p "$state"
    if [ -f "$state/pid" ] && kill -0 "$(cat "$state/pid")" 2>/dev/null; then
        kill "$(cat "$state/pid")" 2>/dev/null || true
        sleep 0.2
    fi
    rm -f "$state/address" "$state/pid"
    port_args=(--port 0)
    for arg in "$@"; do [ "$arg" = "--port" ] && port_args=(); done
    setsid "$binary" "${port_args[@]}" --port-file "$state/address" "$@" </dev/null >"$state/log" 2>&1 &
    echo $! >"$state/pid"
    for _ in $(seq 100); do
        if [ -s "$state/address" ]; then
            cat "$state/address"
            exit 0
        fi
        if ! kill -0 "$(cat "$state/pid")" 2>/dev/null; then break; fi
        sleep 0.1
    done
    echo "quote-server did not start:" >&2
    cat "$state/log" >&2
    exit 1
    ;;
stop)
    state=$2
    [ -f "$state/pid" ] || exit 0
    pid=$(cat "$state/pid")
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 50); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    rm -f "$state/pid" "$state/address"
    ;;
*)
    sed -n '2,8p' "$0" >&2
    exit 2
    ;;
esac
