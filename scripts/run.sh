#!/usr/bin/env bash
# Builds the project and starts it with an emulated keyboard.
# Until the manager's window lands, this starts the device emulator (product 0x5062) and shows what
# the manager sees of it through the HID inspector: the interface list, then the device information
# read over the command channel.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"

export ZORV_HID_EMULATOR_DIR=${ZORV_HID_EMULATOR_DIR:-$(mktemp -d /tmp/zorv-demo.XXXXXX)}
state=${XDG_DATA_HOME:-$HOME/.local/share}/zorv-emulator/demo-keyboard.json
mkdir -p "$(dirname "$state")"

build/bin/zorv-emulator run --product 0x5062 --name demo-keyboard --state "$state" &
emulator=$!
trap 'kill $emulator 2>/dev/null; wait $emulator 2>/dev/null' EXIT
for _ in $(seq 50); do
  [ -S "$ZORV_HID_EMULATOR_DIR/demo-keyboard.sock" ] && break
  sleep 0.1
done

echo
echo "== Interfaces the manager sees"
build/bin/zorv-hid list
command_path=$(build/bin/zorv-hid list --json | python3 -c '
import json, sys
rows = [d for d in json.load(sys.stdin) if d["row"] == 0]
print(rows[0]["path"] if rows else "")')
if [ -n "$command_path" ]; then
  echo
  echo "== Device information of $command_path"
  build/bin/zorv-hid info "$command_path"
fi
if [ -t 0 ]; then
  echo
  echo "The emulated keyboard keeps running; try: build/bin/zorv-emulator ctl --name demo-keyboard --help"
  echo "Press Enter to unplug it and quit."
  read -r _
fi
