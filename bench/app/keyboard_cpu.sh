#!/bin/bash
# CPU of the whole manager with one emulated keyboard, and the time from plugging the keyboard in to
# its page being shown. Each CPU figure is the median of SAMPLES samples of SECONDS each, in % of one
# core:
#   wave, window visible   - default wave effect, pointer over the window (its preview flag on)
#   wave, window hidden    - the same after the caption's close button hid it to the tray
#   effect 26, visible     - the music effect the program streams to the keyboard (profile set to 26)
#   no device              - the keyboard unplugged, window visible
# Runs under Xvfb (started here when there is no display) on a private session bus.
# ZORV_BENCH_PRODUCT picks another emulated product (default 0x5062); ZORV_BENCH_EFFECT names its
# preview in the figures; ZORV_BENCH_CPU_ONLY=1 stops after the two figures of the default effect
# (for products whose emulator takes no ctl commands).
# Usage: keyboard_cpu.sh [build dir] [seconds per CPU sample] [plug-in runs] [samples]
set -u
build=$(realpath "${1:-$(dirname "$0")/../../build}")
seconds=${2:-10}
runs=${3:-20}
samples=${4:-5}
manager=$build/bin/zorv-wired-manager
emulator=$build/bin/zorv-emulator
[ -x "$manager" ] && [ -x "$emulator" ] || { echo "no manager or emulator in $build/bin" >&2; exit 2; }
# Without it the manager opens a message box about music lighting, which holds the main window's
# input, so the pointer never counts as over the window and the visible figures show nothing drawn.
[ -x "$build/bin/VavozAzazoz" ] || { echo "no audio capture program in $build/bin (build VavozAzazoz)" >&2; exit 2; }
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$seconds" "$runs" "$samples"
fi

work=$(mktemp -d /tmp/zorv-bench-cpu-XXXXXX)
bus_pid= emu_pid= pid=
stop_manager() {
    [ -n "$pid" ] && kill -TERM "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    pid=
}
cleanup() {
    stop_manager
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

product=${ZORV_BENCH_PRODUCT:-0x5062}
effect=${ZORV_BENCH_EFFECT:-wave}
"$emulator" run --product "$product" --name bench-kb >/dev/null 2>&1 &
emu_pid=$!
ctl() { "$emulator" ctl --name bench-kb "$@" >/dev/null; }
for _ in $(seq 100); do [ -S "$work/hid/bench-kb.sock" ] && break; sleep 0.05; done

log=$work/manager.log
now_ns() { date +%s%N; }
lines() { wc -l <"$log"; }
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
start_manager() {
    : >"$log"
    "$manager" 2>>"$log" >/dev/null &
    pid=$!
    wait_line "page of row .* shown" 0 >/dev/null || { tail -20 "$log" >&2; exit 1; }
    sleep 2
}
window_geometry() {
    local window
    window=$(xdotool search --name "Zorv Wired Manager" 2>/dev/null | head -1)
    [ -n "$window" ] || return 1
    eval "$(xdotool getwindowgeometry --shell "$window")"
}
# The pointer over the key picture: the window counts as looked at (its preview flag is set).
point_at_window() {
    # From outside, so that the window sees the pointer come in even when it was shown under it.
    window_geometry && xdotool mousemove 0 0 && sleep 0.2 && xdotool mousemove $((X + WIDTH / 3)) $((Y + HEIGHT / 2))
}
# The caption's close button (44 x 40, inset 4 from the right, centred in the 48-high caption of
# main/main.xml) hides the window to the tray; the interface scales by WIDTH / 1000.
hide_window() {
    window_geometry || return 1
    xdotool mousemove $((X + WIDTH - 26 * WIDTH / 1000)) $((Y + 24 * WIDTH / 1000)) click 1
    sleep 1
    xdotool mousemove 0 0
    sleep 1
}

cpu_ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
one_sample() {
    local before after
    before=$(cpu_ticks)
    sleep "$seconds"
    after=$(cpu_ticks)
    awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$seconds" 'BEGIN {printf "%.2f\n", 100 * t / hz / s}'
}
# Median of the samples, with every sample listed.
median_sample() {
    local all=() s
    for _ in $(seq 1 "$samples"); do all+=("$(one_sample)"); done
    s=$(printf '%s\n' "${all[@]}" | sort -g | awk '{v[NR] = $1} END {printf "%.2f", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}')
    echo "$s% (samples: ${all[*]})"
}

start_manager
point_at_window
sleep 1
echo "$effect, window visible:  $(median_sample)"
if hide_window; then
    echo "$effect, window hidden:   $(median_sample)"
else
    echo "$effect, window hidden:   n/a (no window found)"
fi
[ "${ZORV_BENCH_CPU_ONLY:-0}" = 1 ] && exit 0

shown=()
for run in $(seq 1 "$runs"); do
    mark=$(lines)
    ctl unplug
    wait_line "page of row .* hidden" "$mark" >/dev/null || exit 1
    mark=$(lines)
    start=$(now_ns)
    ctl replug
    at=$(wait_line "page of row .* shown" "$mark") || exit 1
    shown+=($(((at - start) / 1000000)))
    sleep 0.3
done
median=$(printf '%s\n' "${shown[@]}" | sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}')
echo "plug-in to page shown: median $median ms over $runs runs (ms: ${shown[*]})"

# Effect 26 in the keyboard's profile; the profile on disk decides what a connected keyboard shows.
stop_manager
profile=$(grep -rl '"SelectItem"' "$work/data" 2>/dev/null | head -1)
if [ -n "$profile" ] && python3 - "$profile" <<'PY'
import json, sys
path = sys.argv[1]
with open(path, encoding="utf-8") as f:
    doc = json.load(f)
def set_effect(node):
    if isinstance(node, dict):
        for key, value in node.items():
            if key == "SelectItem" and isinstance(value, int):
                node[key] = 26
            else:
                set_effect(value)
    elif isinstance(node, list):
        for value in node:
            set_effect(value)
set_effect(doc)
with open(path, "w", encoding="utf-8") as f:
    json.dump(doc, f, ensure_ascii=False, indent=3)
PY
then
    start_manager
    point_at_window
    sleep 1
    echo "effect 26, visible:    $(median_sample)"
else
    echo "effect 26, visible:    n/a (no profile with SelectItem under $work/data)"
    start_manager
fi

mark=$(lines)
ctl unplug
wait_line "page of row .* hidden" "$mark" >/dev/null || exit 1
point_at_window
sleep 1
echo "no device:             $(median_sample)"
