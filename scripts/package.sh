#!/usr/bin/env bash
# Builds the Debian package from a build tree (ZORV_BUILD_DIR, default build/) and prints its path.
# An existing tree is reused as it is configured (CI packages the tree its tests ran in); a new
# one is configured as a release build without tests.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${ZORV_BUILD_DIR:-build}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DZORV_BUILD_TESTS=OFF -DZORV_BUILD_BENCH=OFF
fi
# Everything with an install rule must be built; in a tree that ran the tests this does nothing.
cmake --build "$build" -j "$(nproc)"

mkdir -p "$build"/package
rm -f "$build"/package/*.deb
if ! (cd "$build" && cpack -G DEB) >"$build"/package/cpack.log 2>&1; then
  cat "$build"/package/cpack.log >&2
  exit 1
fi
deb=$(ls "$build"/package/*.deb)
echo "$deb"
