#!/usr/bin/env bash
# Builds the project (ZORV_BUILD_DIR, default build-run/, an optimised build kept apart from the
# test build so that neither rebuilds the other) and starts the manager with an emulated
# keyboard (product 0x5062, or the one given with --product). Without a display the manager runs
# offscreen for a few seconds and leaves a screenshot of its main window (ZORV_SCREENSHOT), whose
# path is printed.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
  echo "usage: $0 [--product ID]   ID: an emulated product, e.g. 0x5062 (default), 0x5085, 0x5086,"
  echo "       0x6001 (the mouse on its cable), 0x6002 (the mouse through its receiver),"
  echo "       0x1630 (the headset) or 0x6110 (the mouse pad)"
}
product=0x5062
while [ $# -gt 0 ]; do
  case "$1" in
    --product)
      [ $# -ge 2 ] || { usage >&2; exit 2; }
      product=$2
      shift 2
      ;;
    --product=*) product=${1#--product=}; shift ;;
    -h|--help) usage; exit 0 ;;
    *) echo "$0: unknown argument: $1" >&2; usage >&2; exit 2 ;;
  esac
done

build=${ZORV_BUILD_DIR:-build-run}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j "$(nproc)" --target zorv-wired-manager zorv-emulator

export ZORV_HID_EMULATOR_DIR=${ZORV_HID_EMULATOR_DIR:-$(mktemp -d /tmp/zorv-demo.XXXXXX)}
# Each product keeps its own emulated memory between runs.
state=${XDG_DATA_HOME:-$HOME/.local/share}/zorv-emulator/demo-keyboard-$product.json
mkdir -p "$(dirname "$state")"

# The headset and the pad keep nothing between runs.
state_args=(--state "$state")
case "$product" in 0x1630|0x6110) state_args=() ;; esac
"$build"/bin/zorv-emulator run --product "$product" --name demo-keyboard "${state_args[@]}" &
emulator=$!
trap 'kill $emulator 2>/dev/null; wait $emulator 2>/dev/null' EXIT
for _ in $(seq 50); do
  [ -S "$ZORV_HID_EMULATOR_DIR/demo-keyboard.sock" ] && break
  # The emulator refuses a product it does not know and says why.
  kill -0 $emulator 2>/dev/null || { echo "$0: the emulator did not start (product $product)" >&2; exit 1; }
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
