#!/usr/bin/env bash
# Builds the fuzz targets with clang into build-fuzz/ and runs each one for
# the given number of seconds (default 60), at most two at a time.
#
#   tools/fuzz.sh [SECONDS] [TARGET ...]     e.g. tools/fuzz.sh 600 date amount
#
# Targets are the names under fuzz/ without "fuzz_" (date, amount,
# bill_number, number_pattern, account_csv, densai_csv, open_db); none named = all.
# Each target starts from its seeds in fuzz/corpus/<target> and keeps what it
# learns in build-fuzz/corpus/<target>; an input that breaks a property or
# crashes is written to build-fuzz/findings/<target>/. The last line of each
# log (build-fuzz/logs/<target>.log) gives the executions run.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
shift || true
targets=("$@")
if ((${#targets[@]} == 0)); then
  for f in fuzz/fuzz_*.cpp; do
    n=$(basename "$f" .cpp)
    targets+=("${n#fuzz_}")
  done
fi

SORVANE_WITH_FUZZ=1 ./scripts/install-deps.sh
if [[ ! -f build-fuzz/CMakeCache.txt ]]; then
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DSORVANE_FUZZ=ON -DSORVANE_BENCH=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build build-fuzz -j2 --target fuzzers

export LANG=C.UTF-8 LC_ALL=C.UTF-8
mkdir -p build-fuzz/logs
run() {
  local t=$1
  local corpus=build-fuzz/corpus/$t findings=build-fuzz/findings/$t
  mkdir -p "$corpus" "$findings"
  local extra=()
  # A database file is larger than the default input.
  [[ $t == open_db ]] && extra+=(-max_len=262144)
  if ./build-fuzz/fuzz/fuzz_"$t" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/" "${extra[@]}" \
    "$corpus" "fuzz/corpus/$t" >"build-fuzz/logs/$t.log" 2>&1; then
    echo "$t: $(grep -E '^stat::number_of_executed_units' "build-fuzz/logs/$t.log" | awk '{print $2}') executions, no finding"
  else
    echo "$t: FINDING, see build-fuzz/logs/$t.log and $findings/"
    return 1
  fi
}

status=0
pids=()
for t in "${targets[@]}"; do
  run "$t" &
  pids+=($!)
  if ((${#pids[@]} == 2)); then
    wait "${pids[0]}" || status=1
    pids=("${pids[@]:1}")
  fi
done
for p in "${pids[@]}"; do
  wait "$p" || status=1
done
exit $status
