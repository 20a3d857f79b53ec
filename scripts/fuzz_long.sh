#!/usr/bin/env bash
# Long fuzzing: runs every fuzz target (or the ones named) for a given time, starting from the kept
# corpus in fuzz/corpus/<target>/, merges the inputs that found new coverage into that corpus, and
# reports speed, coverage and crashes per target. The time spent is added up in fuzz/fuzz-time.tsv,
# so the committed corpus says how long it has been fuzzed.
#   scripts/fuzz_long.sh [SECONDS_PER_TARGET] [TARGET...]       (default 90 s, every target)
# Inputs kept in the corpus are cut to ZORV_FUZZ_KEEP_LEN bytes (1024), so that it stays small.
# Crashes, leaks and time-outs are kept in build-fuzz/artifacts/<target>/; the exit status is 1 when
# there is any. Runs at low priority: the machine is shared.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-90}
keep_len=${ZORV_FUZZ_KEEP_LEN:-1024}
shift || true
case "$seconds" in ''|*[!0-9]*) echo "usage: $0 [SECONDS_PER_TARGET] [TARGET...]" >&2; exit 2 ;; esac

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DZORV_BUILD_FUZZ=ON -DZORV_BUILD_TESTS=OFF \
  -DZORV_BUILD_BENCH=OFF -DZORV_BUILD_UI=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# Only the fuzz targets (and what they link), not the rest of the tree.
mapfile -t all_targets < <(grep -v '^$' build-fuzz/fuzz-targets.txt)
nice -n 10 cmake --build build-fuzz -j "$(nproc)" --target "${all_targets[@]}" >/dev/null

if [ $# -gt 0 ]; then
  targets=("$@")
else
  targets=("${all_targets[@]}")
fi

ledger=fuzz/fuzz-time.tsv
[ -f "$ledger" ] || printf 'target\tseconds\n' > "$ledger"
summary=()
failed=0
for name in "${targets[@]}"; do
  target=build-fuzz/bin/$name
  [ -x "$target" ] || { echo "no fuzz target $name" >&2; failed=1; continue; }
  corpus=fuzz/corpus/$name
  artifacts=build-fuzz/artifacts/$name/
  found=$(mktemp -d "/tmp/zorv-fuzz-$name-XXXXXX")
  mkdir -p "$corpus" "$artifacts"
  before=$(find "$corpus" -type f | wc -l)
  echo "== $name: $seconds s from $before kept inputs"
  log=build-fuzz/$name.long.log
  # New inputs go to a scratch folder first; only those that add coverage join the kept corpus.
  status=0
  nice -n 19 "$target" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$artifacts" "$found" "$corpus" >"$log" 2>&1 || status=$?
  # Kept inputs are cut to keep_len bytes, which keeps the committed corpus small.
  nice -n 19 "$target" -merge=1 -max_len="$keep_len" "$corpus" "$found" >>"$log" 2>&1 || true
  rm -rf "$found"
  after=$(find "$corpus" -type f | wc -l)
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -n1)
  speed=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" | head -n1 | grep -o '[0-9]*$')
  cov=$(grep -o 'DONE *cov: [0-9]*' "$log" | tail -n1 | grep -o '[0-9]*$')
  features=$(grep -o 'DONE *cov: [0-9]* ft: [0-9]*' "$log" | tail -n1 | grep -o '[0-9]*$')
  crashes=$(find "$artifacts" -type f | wc -l)
  [ "$status" -eq 0 ] || echo "   $name stopped with status $status (see $log)"
  [ "$crashes" -eq 0 ] || { echo "   $crashes crash/leak/time-out inputs in $artifacts"; failed=1; }
  awk -F'\t' -v t="$name" -v s="$seconds" 'BEGIN{OFS="\t"} NR>1 && $1==t {$2+=s; done=1} {print}
       END{if(!done) print t, s}' "$ledger" > "$ledger.new" && mv "$ledger.new" "$ledger"
  total=$(awk -F'\t' -v t="$name" '$1==t {print $2}' "$ledger")
  hours=$(awk -v s="$total" 'BEGIN {printf "%.2f", s / 3600}')
  summary+=("$(printf '%-22s %8s runs %7s/s  cov %6s  ft %6s  corpus %4s -> %-4s  crashes %s  total %s h' \
    "$name" "${runs:-?}" "${speed:-?}" "${cov:-?}" "${features:-?}" "$before" "$after" "$crashes" "$hours")")
done

echo
echo "target                     runs     speed   coverage (edges, features)   corpus      crashes  fuzzed in all"
printf '%s\n' "${summary[@]}"
echo "corpus size: $(du -sh fuzz/corpus | cut -f1)"
exit $failed
