#!/usr/bin/env bash
# Builds and runs the test suite.
#   scripts/test.sh            normal build in build/, every test (unit, ui, e2e)
#   scripts/test.sh asan       AddressSanitizer + UBSan build in build-asan/
#   scripts/test.sh tsan       ThreadSanitizer build in build-tsan/
#   scripts/test.sh fuzz       clang libFuzzer build in build-fuzz/, each target for a bounded run
# The e2e and ui tests need a display and a session bus; when there are none this script provides
# them (Xvfb and a private dbus-daemon), so it runs the same on a desktop and on CI.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-normal}
jobs=$(nproc)
# Tests need no speed, so light optimisation and no debug info keep the build short on 2 cores;
# benchmarks are built here too but are meant to be run from a release build.
cmake_common=(-G Ninja -DZORV_WERROR=ON -DCMAKE_BUILD_TYPE= "-DCMAKE_CXX_FLAGS=-O1")
# Sanitizer builds: light optimisation and line tables only, which keeps them quick to build.
cmake_sanitizer=(-G Ninja -DZORV_WERROR=ON -DCMAKE_BUILD_TYPE= "-DCMAKE_CXX_FLAGS=-O1 -g1" -DZORV_BUILD_BENCH=OFF)

run_ctest() {
  local dir=$1; shift
  local cmd=(ctest --test-dir "$dir" --output-on-failure -j "$jobs" "$@")
  if [ -z "${DISPLAY:-}" ] && command -v xvfb-run >/dev/null; then
    cmd=(xvfb-run -a -s "-screen 0 1600x1000x24" "${cmd[@]}")
  fi
  if [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ] && command -v dbus-run-session >/dev/null; then
    cmd=(dbus-run-session -- "${cmd[@]}")
  fi
  "${cmd[@]}"
}

case "$mode" in
  normal)
    cmake -S . -B build "${cmake_common[@]}"
    cmake --build build -j "$jobs"
    run_ctest build
    ;;
  asan)
    cmake -S . -B build-asan "${cmake_sanitizer[@]}" -DZORV_SANITIZE=address
    cmake --build build-asan -j "$jobs"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
      LSAN_OPTIONS=suppressions=$PWD/.ci/lsan.supp run_ctest build-asan
    ;;
  tsan)
    # Qt is not built with ThreadSanitizer, so its windows would report its own inner workings;
    # the thread build covers everything below the UI, where the program's own threads live.
    cmake -S . -B build-tsan "${cmake_sanitizer[@]}" -DZORV_SANITIZE=thread -DZORV_BUILD_UI=OFF
    cmake --build build-tsan -j "$jobs"
    TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/.ci/tsan.supp" run_ctest build-tsan
    ;;
  fuzz)
    CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DZORV_BUILD_FUZZ=ON -DZORV_BUILD_TESTS=OFF \
      -DZORV_BUILD_BENCH=OFF -DZORV_BUILD_UI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build-fuzz -j "$jobs"
    runs=${ZORV_FUZZ_RUNS:-20000}
    found=0
    while read -r name; do
      [ -n "$name" ] || continue
      found=1
      target=build-fuzz/bin/$name
      corpus=fuzz/corpus/$name
      echo "== $name ($runs inputs)"
      # Bounded both by inputs and by time, whichever comes first.
      args=(-runs="$runs" -max_total_time="${ZORV_FUZZ_SECONDS:-12}" -max_len=4096 -timeout=10)
      # The kept corpus is read, never written: new inputs go to a scratch folder.
      scratch=$(mktemp -d)
      dirs=("$scratch")
      [ -d "$corpus" ] && dirs+=("$corpus")
      set +e
      "$target" "${args[@]}" "${dirs[@]}" 2>&1 | tail -n 3
      status=${PIPESTATUS[0]}
      set -e
      rm -rf "$scratch"
      [ "$status" -eq 0 ] || { echo "fuzz target $name failed"; exit 1; }
    done < build-fuzz/fuzz-targets.txt
    [ $found -eq 1 ] || echo "no fuzz targets built"
    ;;
  *)
    echo "usage: $0 [normal|asan|tsan|fuzz]" >&2
    exit 2
    ;;
esac
