#!/usr/bin/env bash
# The Debian package as a dispatch office gets it: made by CPack from this build's programs (no
# rebuild), unpacked into a temporary root with dpkg-deb and checked there: its control data, its
# files and nothing else, the menu entry and icons, the manual pages, and every program run from
# where the package put it, the client making a user's home and writing nothing beside itself.
#   debian-package.sh CPACK BUILD_DIR VERSION PROGRAM...
set -euo pipefail
cpack=$1 build=$2 version=$3
shift 3
programs=("$@")
work=$(mktemp -d)
client=
trap '[ -z "$client" ] || kill "$client" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# Nothing of the caller's home settings may reach the programs under test.
unset FENWARDE_HOME XDG_DATA_HOME DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

"$cpack" --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack failed"; }
# Its name is made from the control data's package and version, which are the build's.
deb=$work/out/fenwarde_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb") among: $(ls "$work/out")"

# Libraries found by dpkg-shlibdeps beside the pieces loaded at run time.
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libc6 libqt6widgets6 libqt6webenginecore6 libqt6httpserver6 libsqlcipher0 libqt6webenginecore6-bin fonts-wqy-microhei; do
  grep -qE "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends lacks $needed: $depends"
done

# Exactly these files, all root's, all under /usr.
expected=(usr/share/applications/fenwarde.desktop
          usr/share/doc/fenwarde/examples/fenwarde-last-week
          usr/share/doc/fenwarde/examples/fenwarde-week.service
          usr/share/doc/fenwarde/examples/fenwarde-week.timer)
for program in "${programs[@]}"; do expected+=("usr/bin/$program" "usr/share/man/man1/$program.1.gz"); done
sizes=(16 24 32 48 64 128 256)
for size in "${sizes[@]}"; do expected+=("usr/share/icons/hicolor/${size}x$size/apps/fenwarde.png"); done
dpkg-deb -c "$deb" >"$work/contents"
awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' "$work/contents" | sort >"$work/files"
printf '%s\n' "${expected[@]}" | sort >"$work/expected"
diff -u "$work/expected" "$work/files" || fail "the package's files differ from the list above"
awk '$2 != "root/root" { print; bad = 1 } END { exit bad }' "$work/contents" || fail "files not owned by root"

root=$work/root
dpkg-deb -x "$deb" "$root"
for program in "${programs[@]}"; do
  exe=$root/usr/bin/$program
  [ -x "$exe" ] || fail "$program is not executable"
  # An installed program finds its libraries where the system keeps them, never in a build tree.
  if readelf -d "$exe" | grep -qE 'R(UN)?PATH'; then fail "$program carries a run path"; fi
  out=$("$exe" --version) && grep -qF "$version" <<<"$out" || fail "$program --version: $out"
done
"$(dirname "$0")/manual-pages.sh" "$root/usr/share/man/man1" "${programs[@]/#/$root/usr/bin/}"

entry=$root/usr/share/applications/fenwarde.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate refuses the menu entry"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
[ -x "$root/usr/bin/${exec_line%% *}" ] || fail "the menu entry runs $exec_line, which the package lacks"
[ "$(sed -n 's/^Icon=//p' "$entry")" = fenwarde ] || fail "the menu entry's icon is not fenwarde"
for size in "${sizes[@]}"; do
  file "$root/usr/share/icons/hicolor/${size}x$size/apps/fenwarde.png" | grep -q "PNG image data, $size x $size," ||
    fail "the ${size}x$size icon is not a PNG of that size"
done

# The installed client, started by a user whose home is new: it makes ~/.local/share/fenwarde,
# owner-only, with a conf.ini that names no server, and writes nothing beside itself.
user=$work/user
mkdir "$user"
HOME=$user QT_QPA_PLATFORM=offscreen "$root/usr/bin/fenwarde" >"$work/client.log" 2>&1 &
client=$!
home=$user/.local/share/fenwarde
for _ in $(seq 200); do
  [ -f "$home/conf.ini" ] && break
  kill -0 "$client" 2>/dev/null || { cat "$work/client.log"; fail "the client ended at start-up"; }
  sleep 0.1
done
[ -f "$home/conf.ini" ] || fail "no $home/conf.ini after 20 s"
sleep 0.5  # the login window is up
kill -TERM "$client"
status=0
wait "$client" || status=$?
client=
[ "$status" = 0 ] || { cat "$work/client.log"; fail "the client ended with $status on SIGTERM"; }
modes=$(stat -c %a "$home" "$home/conf.ini" | tr '\n' ' ')
[ "$modes" = "700 600 " ] || fail "the home and its conf.ini are $modes, not 700 and 600"
grep -qx 'Server=' "$home/conf.ini" && grep -qx 'DataName=fenwarde' "$home/conf.ini" ||
  fail "the new conf.ini: $(cat "$home/conf.ini")"
[ "$(ls "$root/usr/bin")" = "$(printf '%s\n' "${programs[@]}" | sort)" ] ||
  fail "files were written beside the programs: $(ls "$root/usr/bin")"

# fenwarde-report finds the same home (where $XDG_DATA_HOME leads is HomeTest's).
status=0
out=$(HOME=$user "$root/usr/bin/fenwarde-report" --from 2014-08-25 --to 2014-08-25 --out "$work/r.csv" 2>&1) || status=$?
[ "$status" = 2 ] && grep -qF "$home/conf.ini names no Server" <<<"$out" || fail "fenwarde-report: $status $out"
echo "$(basename "$deb"): $(du -k "$deb" | cut -f1) KiB, ${#expected[@]} files, all checks passed"
