#!/bin/bash
# Start-up figures of the manager: time from exec to the main window shown, and resident memory a
# second later. Runs offscreen on a private session bus, with no devices, then stops it with SIGTERM.
# Usage: startup.sh [path to zorv-wired-manager] [runs]
set -u
manager=${1:-$(dirname "$0")/../../build/bin/zorv-wired-manager}
runs=${2:-5}
[ -x "$manager" ] || { echo "no manager at $manager" >&2; exit 2; }

work=$(mktemp -d /tmp/zorv-bench-startup-XXXXXX)
bus_pid=
cleanup() {
    [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

read -r bus_address bus_pid < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -sd' ')
[ -n "$bus_address" ] || { echo "no dbus-daemon" >&2; exit 2; }

mkdir -p "$work/runtime" "$work/hid" && chmod 700 "$work/runtime"
export DBUS_SESSION_BUS_ADDRESS=$bus_address XDG_RUNTIME_DIR=$work/runtime ZORV_HID_EMULATOR_DIR=$work/hid \
    XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen ZORV_DEBUG=1

now_ns() { date +%s%N; }
status=0
for run in $(seq 1 "$runs"); do
    log=$work/run$run.log
    start=$(now_ns)
    "$manager" 2>"$log" >/dev/null &
    pid=$!
    shown=
    while kill -0 "$pid" 2>/dev/null; do
        if grep -q "main window: shown" "$log"; then shown=$(now_ns); break; fi
        sleep 0.005
    done
    if [ -z "$shown" ]; then
        echo "run $run: the window was never shown" >&2; cat "$log" >&2; status=1; continue
    fi
    sleep 1
    rss=$(awk '/^VmRSS:/ {print $2, $3}' "/proc/$pid/status")
    kill -TERM "$pid"
    wait "$pid"
    code=$?
    printf 'run %d: shown after %d ms, VmRSS %s one second later, exit code %d after SIGTERM\n' \
        "$run" $(((shown - start) / 1000000)) "$rss" "$code"
    [ "$code" -eq 0 ] || status=1
done
exit $status
