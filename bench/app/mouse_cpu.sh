#!/bin/bash
# CPU of the whole manager with the emulated mouse (0x6001, shipped device file) and its light-zone
# preview running, window visible and hidden: keyboard_cpu.sh's measurement for the mouse.
# Usage: mouse_cpu.sh [build dir] [seconds per CPU sample] [samples]
here=$(dirname "$0")
ZORV_BENCH_PRODUCT=0x6001 ZORV_BENCH_EFFECT="mouse preview" ZORV_BENCH_CPU_ONLY=1 \
    exec "$here/keyboard_cpu.sh" "${1:-$here/../../build}" "${2:-10}" 0 "${3:-5}"
