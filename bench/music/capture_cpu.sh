#!/bin/bash
# CPU of the capture program while it captures what a sound server plays: a private PulseAudio
# server with a null output plays, in a loop, beats (noise bursts with silence between) and then
# music without pauses (tones and noise that never fall silent); a stand-in main window on a
# private session bus links the program and takes its frames. Also the same for a WAV file.
# Usage: capture_cpu.sh [build dir] [seconds]
set -u
build=$(realpath "${1:-$(dirname "$0")/../../build}")
seconds=${2:-10}
capture=$build/bin/VavozAzazoz
msg=$build/bin/zorv-msg
[ -x "$capture" ] && [ -x "$msg" ] || { echo "no VavozAzazoz or zorv-msg in $build/bin" >&2; exit 2; }
command -v pulseaudio >/dev/null && command -v paplay >/dev/null || { echo "needs pulseaudio and paplay" >&2; exit 2; }

work=$(mktemp -d /tmp/zorv-bench-capture-XXXXXX)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

read -r bus_address bus_pid < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 | paste -sd' ')
pids+=("$bus_pid")
mkdir -p "$work/run" "$work/home" && chmod 700 "$work/run"
export DBUS_SESSION_BUS_ADDRESS=$bus_address XDG_RUNTIME_DIR=$work/run HOME=$work/home
export PULSE_SERVER=unix:$work/run/pulse-native
pulseaudio --daemonize=no -n --exit-idle-time=-1 --disable-shm=yes --load="module-null-sink sink_name=bench" \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$work/run/pulse-native" >"$work/pulse.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.05; done
pactl set-default-sink bench

# Ten seconds each, 44.1 kHz 16-bit stereo: beats (100 ms bursts every 500 ms, digital silence
# between), and music without pauses (three tones that change every 250 ms over a noise floor,
# with a louder burst every 500 ms).
python3 - "$work/beats.wav" "$work/music.wav" <<'PY'
import math, random, struct, sys, wave
def write(path, sample):
    w = wave.open(path, 'wb'); w.setnchannels(2); w.setsampwidth(2); w.setframerate(44100)
    frames = bytearray()
    for i in range(44100 * 10):
        v = int(max(-1.0, min(1.0, sample(i))) * 32767)
        frames += struct.pack('<hh', v, v)
    w.writeframes(bytes(frames)); w.close()
write(sys.argv[1], lambda i: random.uniform(-0.6, 0.6) if (i % 22050) < 4410 else 0.0)
notes = [random.choice([110, 147, 196, 262, 330, 392, 523]) for _ in range(200)]
def music(i):
    step = i // 11025
    tones = sum(0.15 * math.sin(2 * math.pi * notes[(step + k) % 200] * (k + 1) * i / 44100) for k in range(3))
    burst = random.uniform(-0.4, 0.4) if (i % 22050) < 2205 else 0.0
    return tones + random.uniform(-0.03, 0.03) + burst
write(sys.argv[2], music)
PY

"$msg" listen --title bench-main >/dev/null 2>&1 &
pids+=($!)
sleep 0.3
main=$("$msg" find --title bench-main)

measure() {  # $1: label, the rest: the capture program's command line
    local label=$1; shift
    "$@" 2>"$work/capture.log" &
    local pid=$!
    pids+=("$pid")
    for _ in $(seq 100); do "$msg" find --title "Zorv Wired Manager 1.0AUDIORECORD" >/dev/null 2>&1 && break; sleep 0.05; done
    for code in "0 $((16#${main#0x}))" "3 0" "1 0"; do
        # shellcheck disable=SC2086
        "$msg" send --title "Zorv Wired Manager 1.0AUDIORECORD" "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}" $code >/dev/null
    done
    sleep 1
    local before after
    before=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    sleep "$seconds"
    after=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    awk -v t=$((after - before)) -v hz="$(getconf CLK_TCK)" -v s="$seconds" -v l="$label" \
        'BEGIN {printf "CPU of the capture program, %s: %.2f%% of one core over %d s\n", l, 100 * t / hz / s, s}'
    "$msg" send --title "Zorv Wired Manager 1.0AUDIORECORD" "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}" 5 0 >/dev/null
    wait "$pid" 2>/dev/null
}

play() {  # loops the file into the null output until the next play
    [ -n "${player:-}" ] && kill "$player" 2>/dev/null
    # shellcheck disable=SC2016
    (trap 'kill $child 2>/dev/null; exit' TERM
     while true; do paplay --device=bench "$1" & child=$!; wait "$child"; done) &
    player=$!
    pids+=("$player")
}

play "$work/beats.wav"
measure "capturing the sound server's monitor while beats play" "$capture"
play "$work/music.wav"
measure "capturing the sound server's monitor while music without pauses plays" "$capture"
kill "$player" 2>/dev/null
measure "playing a WAV file of beats" "$capture" --wav "$work/beats.wav" --loop
