#!/usr/bin/env bash
# fenwarde-report against fenwarde-sim on loopback: 200 vehicle-days (100 vehicles × 2 days)
# the window's way (--sequential: one vehicle-day at a time, nothing overlapping), then
# pipelined with --jobs 1 and --jobs 2. Each run gets a fresh simulator, so no run finds the
# tracks of an earlier one made already. Prints a Markdown table: the whole command's wall time
# (sign-in included), the vehicle-days per second the tool reports (from its first request to
# its last result), the tool's peak memory, and the processor time the tool and the simulator
# took (what the figures would be on an idle machine follows from it: the machine is shared).
#   bench/fleet-report.sh [BUILD_DIR] [RUNS]        (defaults: build, 3; the median run is shown)
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."

BUILD=${1:-build}
RUNS=${2:-3}
VEHICLES=100
FROM=2014-08-25
TO=2014-08-26
for exe in fenwarde-sim fenwarde-report; do
  [ -x "$BUILD/$exe" ] || { echo "build $exe first: cmake --build $BUILD --target $exe" >&2; exit 2; }
done
[ -x /usr/bin/time ] || { echo "needs GNU time: apt-get install time" >&2; exit 2; }

WORK=$(mktemp -d)
SIM_PID=
cleanup() {
  [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

start_sim() {
  # A log of its own: the background start may open it after the ports are first looked for.
  local log
  log=$(mktemp "$WORK/sim.XXXXXX")
  "$BUILD/fenwarde-sim" --port 0 --web-port 0 --date "$FROM" --vehicles "$VEHICLES" 2>"$log" &
  SIM_PID=$!
  local ports=
  for _ in $(seq 100); do
    ports=$(sed -n 's/.*on 127\.0\.0\.1:\([0-9]*\), web site on http:\/\/127\.0\.0\.1:\([0-9]*\)\/.*/\1 \2/p' "$log")
    [ -n "$ports" ] && break
    sleep 0.1
  done
  [ -n "$ports" ] || { echo "the simulator did not start:" >&2; cat "$log" >&2; exit 1; }
  set -- $ports
  mkdir -p "$WORK/home"
  printf '[login]\nServer=127.0.0.1\nUser=admin\nPass=admin\nRemember=1\nDataName=bus\nWrite=0\nPort=%s\nWebPort=%s\n' \
    "$1" "$2" >"$WORK/home/conf.ini"
}

stop_sim() {
  kill "$SIM_PID" 2>/dev/null || true
  wait "$SIM_PID" 2>/dev/null || true
  SIM_PID=
}

# One run: "wall_seconds rate peak_mib client_cpu_seconds simulator_cpu_seconds".
run_once() {
  start_sim
  /usr/bin/time -f '%e %M %U %S' -o "$WORK/time" \
    "$BUILD/fenwarde-report" --home "$WORK/home" --from "$FROM" --to "$TO" --out "$WORK/out.csv" "$@" \
    >"$WORK/summary" 2>"$WORK/progress" || { echo "run failed ($*):" >&2; tail -5 "$WORK/progress" >&2; exit 1; }
  local simcpu
  simcpu=$(awk -v hz="$(getconf CLK_TCK)" '{ printf "%.2f", ($14 + $15) / hz }' "/proc/$SIM_PID/stat")
  stop_sim
  local rate
  rate=$(sed -n 's/.* s, \([0-9.]*\) per second:.*/\1/p' "$WORK/summary")
  read -r wall peak user sys <"$WORK/time"
  echo "$wall $rate $(awk -v k="$peak" -v u="$user" -v s="$sys" 'BEGIN { printf "%.0f %.2f", k / 1024, u + s }') $simcpu"
}

# The median of RUNS runs, by wall time. Runs in this shell, so that a failure ends the script.
measure() {
  : >"$WORK/runs"
  for _ in $(seq "$RUNS"); do run_once "$@" >>"$WORK/runs"; done
  sort -n "$WORK/runs" | sed -n "$(( (RUNS + 1) / 2 ))p" >"$WORK/median"
}

days=$(( VEHICLES * 2 ))
echo "fenwarde-report: $days vehicle-days ($VEHICLES vehicles × 2 days) against fenwarde-sim on loopback," \
     "$(nproc) cores, median of $RUNS runs, load average before: $(cut -d' ' -f1 /proc/loadavg)"
echo
echo "| Way | Wall time (s) | Vehicle-days/s | Peak memory (MiB) | CPU: report + simulator (s) |"
echo "|---|---:|---:|---:|---:|"
while IFS='|' read -r label args; do
  # shellcheck disable=SC2086
  measure $args
  read -r wall rate peak client sim <"$WORK/median"
  echo "| $label | $wall | $rate | $peak | $client + $sim |"
done <<'EOF'
the window's way (--sequential)|--sequential
--jobs 1|--jobs 1
--jobs 2|--jobs 2
EOF
