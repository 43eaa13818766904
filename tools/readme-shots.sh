#!/usr/bin/env bash
# Writes the README's screenshots from the running program: the simulator and the client under
# Xvfb, the login window as it first shows and the monitoring page at 08:30 with the fleet out.
#   tools/readme-shots.sh [OUT_DIR]     (default docs/; needs a build, xvfb and imagemagick)
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
build=${FENWARDE_BUILD_DIR:-build}
out=${1:-docs}
for tool in xvfb-run import convert; do
  command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install xvfb imagemagick)" >&2; exit 1; }
done
[ -x "$build/fenwarde" ] && [ -x "$build/fenwarde-sim" ] || { echo "build first: ./fenwarde.sh test" >&2; exit 1; }
mkdir -p "$out"
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT

"$build/fenwarde-sim" --port 0 --web-port 0 --clock 08:30 2> "$work/sim.log" &
for _ in $(seq 50); do grep -q 'web site on' "$work/sim.log" && break; sleep 0.1; done
ports=$(sed -n 's/.*on 127\.0\.0\.1:\([0-9]*\), web site on http:\/\/127\.0\.0\.1:\([0-9]*\)\/.*/\1 \2/p' "$work/sim.log" | head -1)
[ -n "$ports" ] || { cat "$work/sim.log" >&2; exit 1; }
set -- $ports
printf '[login]\nServer=127.0.0.1\nUser=admin\nPass=admin\nRemember=1\nDataName=fenwarde\nWrite=0\nPort=%s\nWebPort=%s\n' \
  "$1" "$2" > "$work/conf.ini"

export QTWEBENGINE_DISABLE_SANDBOX=1 FENWARDE_BUILD="$build" FENWARDE_WORK="$work" FENWARDE_OUT="$out"
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  set -e
  "$FENWARDE_BUILD/fenwarde" --home "$FENWARDE_WORK" & client=$!
  sleep 3; import -window root "$FENWARDE_WORK/login.png"; kill $client; wait $client || true
  "$FENWARDE_BUILD/fenwarde" --home "$FENWARDE_WORK" --autologin --page monitor & client=$!
  sleep 8; import -window root "$FENWARDE_OUT/monitor.png"; kill $client; wait $client || true
'
# The login window alone, without the empty screen around it.
convert "$work/login.png" -trim +repage "$out/login.png"
echo "wrote $out/login.png and $out/monitor.png"
