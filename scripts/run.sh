#!/usr/bin/env bash
# Builds the project (ZORV_BUILD_DIR, default build/) and starts the manager with an emulated
# keyboard (product 0x5062). Without a display the manager runs offscreen for a few seconds and
# leaves a screenshot of its main window (ZORV_SCREENSHOT), whose path is printed.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${ZORV_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target zorv-wired-manager zorv-emulator

export ZORV_HID_EMULATOR_DIR=${ZORV_HID_EMULATOR_DIR:-$(mktemp -d /tmp/zorv-demo.XXXXXX)}
state=${XDG_DATA_HOME:-$HOME/.local/share}/zorv-emulator/demo-keyboard.json
mkdir -p "$(dirname "$state")"

"$build"/bin/zorv-emulator run --product 0x5062 --name demo-keyboard --state "$state" &
emulator=$!
trap 'kill $emulator 2>/dev/null; wait $emulator 2>/dev/null' EXIT
for _ in $(seq 50); do
  [ -S "$ZORV_HID_EMULATOR_DIR/demo-keyboard.sock" ] && break
  sleep 0.1
done

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "The manager runs with the emulated keyboard; quit it from the tray menu (Exit)."
  "$build"/bin/zorv-wired-manager
  exit 0
fi

mkdir -p "$build"/screenshots
shot=$PWD/$build/screenshots/run-main-window.png
rm -f "$shot"
bus=()
# Messages between programs need a session bus; start a private one when there is none.
if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && command -v dbus-run-session >/dev/null; then
  bus=(dbus-run-session --)
fi
QT_QPA_PLATFORM=offscreen ZORV_SCREENSHOT=$shot timeout 20 "${bus[@]}" "$build"/bin/zorv-wired-manager 2>/dev/null || true
if [ -f "$shot" ]; then
  echo "Screenshot of the main window: $shot"
else
  echo "No screenshot was taken (the manager did not show its window)" >&2
  exit 1
fi
