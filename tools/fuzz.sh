#!/usr/bin/env bash
# Builds the fuzz targets under fuzz/ (clang, AddressSanitizer and UndefinedBehaviorSanitizer,
# into build-fuzz/), writes their seeds with tools/fuzz_seeds.py, and runs each target for
# SECONDS (default 30), two at a time. Fails when a target finds a crash, a sanitizer report or a
# broken property; the input that did it is kept under build-fuzz/crashes/<target>/.
#   tools/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
seconds=${1:-30}
shift || true
dir=${FENWARDE_FUZZ_DIR:-build-fuzz}
jobs=${FENWARDE_FUZZ_JOBS:-2}
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(framer receive trackreader charset ini skin timetable)

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFENWARDE_FUZZ=ON "${launcher[@]}" >/dev/null
cmake --build "$dir" -j2
# Debian's interpreter: the one that has python3-openpyxl.
/usr/bin/python3 tools/fuzz_seeds.py "$dir/seeds" >/dev/null

run() {
  local target=$1 log="$dir/fuzz-$1.log"
  mkdir -p "$dir/corpus/$target" "$dir/crashes/$target"
  # New inputs go to the corpus (kept between local runs); the seeds are read, never written.
  "$dir/fuzz/fuzz-$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$dir/crashes/$target/" \
    "$dir/corpus/$target" "$dir/seeds/$target" >"$log" 2>&1
}

report() {
  local target=$1 log="$dir/fuzz-$1.log"
  local done_line runs speed
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -1 || true)
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  printf '%-12s %10s runs %8s exec/s  %s\n' "$target" "${runs:-?}" "${speed:-?}" \
    "$(echo "$done_line" | grep -oE 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+/[^ ]+')"
}

failed=()
declare -A pids=()
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
  run "$target" &
  pids[$target]=$!
done
for target in "${targets[@]}"; do
  if wait "${pids[$target]}"; then
    report "$target"
  else
    failed+=("$target")
    echo "fuzz-$target FAILED; its log ($dir/fuzz-$target.log) ends:" >&2
    tail -n 40 "$dir/fuzz-$target.log" >&2
  fi
done
[ ${#failed[@]} -eq 0 ] || { echo "fuzzing failed: ${failed[*]}" >&2; exit 1; }
