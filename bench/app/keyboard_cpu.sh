#!/bin/bash
# CPU of the whole manager with one emulated keyboard on its default wave effect, with the window
# visible and then hidden to the tray, and the time from plugging the keyboard in to its page
# being shown. Runs under Xvfb (started here when there is no display) on a private session bus.
# Usage: keyboard_cpu.sh [build dir] [seconds per CPU sample] [plug-in runs]
set -u
build=$(realpath "${1:-$(dirname "$0")/../../build}")
seconds=${2:-10}
runs=${3:-5}
manager=$build/bin/zorv-wired-manager
emulator=$build/bin/zorv-emulator
[ -x "$manager" ] && [ -x "$emulator" ] || { echo "no manager or emulator in $build/bin" >&2; exit 2; }
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$seconds" "$runs"
fi

work=$(mktemp -d /tmp/zorv-bench-cpu-XXXXXX)
bus_pid= emu_pid= pid=
cleanup() {
    [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    [ -n "$emu_pid" ] && kill "$emu_pid" 2>/dev/null
    [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

read -r bus_address bus_pid < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -sd' ')
[ -n "$bus_address" ] || { echo "no dbus-daemon" >&2; exit 2; }
mkdir -p "$work/runtime" "$work/hid" && chmod 700 "$work/runtime"
export DBUS_SESSION_BUS_ADDRESS=$bus_address XDG_RUNTIME_DIR=$work/runtime ZORV_HID_EMULATOR_DIR=$work/hid \
    XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config ZORV_DEBUG=1

"$emulator" run --product 0x5062 --name bench-kb >/dev/null 2>&1 &
emu_pid=$!
ctl() { "$emulator" ctl --name bench-kb "$@" >/dev/null; }
for _ in $(seq 100); do [ -S "$work/hid/bench-kb.sock" ] && break; sleep 0.05; done

log=$work/manager.log
"$manager" 2>"$log" >/dev/null &
pid=$!
now_ns() { date +%s%N; }
# Waits until the log has grown a line matching $1 after line $2; prints the time it was seen.
wait_line() {
    local pattern=$1 after=$2
    for _ in $(seq 2000); do
        if tail -n +"$((after + 1))" "$log" | grep -q "$pattern"; then now_ns; return 0; fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.002
    done
    echo "never saw: $pattern" >&2
    return 1
}
lines() { wc -l <"$log"; }
wait_line "page of row .* shown" 0 >/dev/null || { tail -20 "$log" >&2; exit 1; }
sleep 2

cpu_ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
sample() {
    local before after
    before=$(cpu_ticks)
    sleep "$seconds"
    after=$(cpu_ticks)
    awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$seconds" 'BEGIN {printf "%.2f%%", 100 * t / hz / s}'
}
visible=$(sample)
window=$(xdotool search --name "Zorv Wired Manager" 2>/dev/null | head -1)
if [ -n "$window" ]; then
    eval "$(xdotool getwindowgeometry --shell "$window")"
    # The caption's close button (44 x 40, inset 4 from the right, centred in the 48-high caption
    # of main/main.xml) hides the window to the tray; the interface scales by WIDTH / 1000.
    xdotool mousemove $((X + WIDTH - 26 * WIDTH / 1000)) $((Y + 24 * WIDTH / 1000)) click 1
    sleep 2
    hidden=$(sample)
else
    hidden="n/a (no window found)"
fi
echo "CPU of one core, wave effect, one keyboard: window visible $visible, window hidden $hidden ($seconds s each)"

for run in $(seq 1 "$runs"); do
    mark=$(lines)
    ctl unplug
    wait_line "page of row .* hidden" "$mark" >/dev/null || exit 1
    mark=$(lines)
    start=$(now_ns)
    ctl replug
    shown=$(wait_line "page of row .* shown" "$mark") || exit 1
    echo "plug-in run $run: page shown after $(((shown - start) / 1000000)) ms"
done
