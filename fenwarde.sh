#!/usr/bin/env bash
# Set-up entry point: installs what the project needs on Debian 12, builds, then runs.
#   ./fenwarde.sh run             start the simulator and the client against it
#   ./fenwarde.sh test            build everything and run the whole test suite
#   ./fenwarde.sh sanitize        the same with AddressSanitizer and UBSan (build-asan/)
#   ./fenwarde.sh fuzz [SECONDS]  build the fuzz targets with clang and run each (default 30 s)
#   ./fenwarde.sh package         build the programs and fenwarde_<version>_<arch>.deb, here
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")"

PACKAGES=(
  cmake ninja-build g++ pkg-config ccache
  libjsoncpp-dev libsimdjson-dev libsqlcipher-dev libfreexl-dev libpugixml-dev libzip-dev
  qt6-base-dev qt6-qpa-plugins qt6-webengine-dev qt6-webchannel-dev qt6-httpserver-dev qt6-websockets-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-wqy-microhei python3-openpyxl libxlsxwriter-dev xvfb qt6-translations-l10n
  qt6-charts-dev poppler-utils
  dpkg-dev file desktop-file-utils groff-base
)
# Only the fuzz targets need clang and its libFuzzer runtime.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
BUILD_DIR=${FENWARDE_BUILD_DIR:-build}

install_packages() {
  local missing=() p
  for p in "${PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq \
    "${missing[@]}" >/dev/null
}

build() {  # [extra CMake arguments] [--target TARGET...]
  local werror=OFF configure=() targets=()
  [ "${CI:-}" = "true" ] && werror=ON
  while [ $# -gt 0 ]; do
    if [ "$1" = --target ]; then targets+=(--target "$2"); shift 2; else configure+=("$1"); shift; fi
  done
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DFENWARDE_WERROR=$werror "${configure[@]}" >/dev/null
  cmake --build "$BUILD_DIR" -j2 "${targets[@]}"
}

command=${1:-}
shift || true
case "$command" in
  run)
    install_packages
    build
    # A demo home next to the build: conf.ini pointing at the simulator, the database, the logs.
    home="$BUILD_DIR/demo-home"
    mkdir -p "$home"
    if [ ! -f "$home/conf.ini" ]; then
      printf '[login]\nServer=127.0.0.1\nUser=admin\nPass=admin\nRemember=1\nDataName=fenwarde\nDataBasePsw=\nWrite=1\nPort=%s\nWebPort=%s\n' \
        "${FENWARDE_PORT:-1502}" "${FENWARDE_WEB_PORT:-8089}" > "$home/conf.ini"
      chmod 600 "$home/conf.ini"
    fi
    "$BUILD_DIR/fenwarde-sim" --port "${FENWARDE_PORT:-1502}" --web-port "${FENWARDE_WEB_PORT:-8089}" \
      2> "$home/simulator.log" &
    sim=$!
    trap 'kill $sim 2>/dev/null' EXIT
    sleep 1
    kill -0 $sim 2>/dev/null || { cat "$home/simulator.log" >&2; exit 1; }
    echo "Simulator running (users admin/admin, 调度员/123456); its log: $home/simulator.log"
    display=()
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
      echo "No display: running the client under Xvfb."
      display=(xvfb-run -a -s "-screen 0 1600x900x24")
    fi
    QTWEBENGINE_DISABLE_SANDBOX=1 "${display[@]}" "$BUILD_DIR/fenwarde" --home "$home" "$@"
    ;;
  test)
    install_packages
    build
    ctest --test-dir "$BUILD_DIR" --output-on-failure -j2 --timeout 300
    ;;
  sanitize)
    # The whole suite with AddressSanitizer and UndefinedBehaviorSanitizer; any report fails
    # its test (the build stops at the first one, leaks included).
    install_packages
    BUILD_DIR=${FENWARDE_ASAN_DIR:-build-asan}
    # -O1 with line tables: compiles in 60% of the time of -O2 -g, and asserts stay on.
    build -DFENWARDE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1"
    # No strict_string_checks: it reads the whole of a string given to strndup with a length,
    # which libxkbcommon (X11 keyboard set-up) legitimately passes unterminated.
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions=$PWD/tools/lsan.supp \
      ctest --test-dir "$BUILD_DIR" --output-on-failure -j2 --timeout 600
    ;;
  fuzz)
    install_packages "${FUZZ_PACKAGES[@]}"
    tools/fuzz.sh "${1:-30}"
    ;;
  package)
    # The programs and their pages only, then CPack over them (it strips them as it copies).
    install_packages
    build --target programs
    cpack --config "$BUILD_DIR/CPackConfig.cmake" -B "$BUILD_DIR/package" >/dev/null
    deb=$(cd "$BUILD_DIR/package" && ls -t fenwarde_*.deb | head -n 1)
    mv "$BUILD_DIR/package/$deb" .
    echo "$PWD/$deb: sudo apt install ./$deb"
    ;;
  *)
    echo "usage: $0 run|test|sanitize|fuzz [SECONDS]|package" >&2
    exit 2
    ;;
esac
