#!/usr/bin/env bash
# Set-up entry point: installs what the project needs on Debian 12, builds, then runs.
#   ./fenwarde.sh run    start the simulator and the client against it
#   ./fenwarde.sh test   build everything and run the whole test suite
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")"

PACKAGES=(
  cmake ninja-build g++ pkg-config ccache
  libjsoncpp-dev libsqlcipher-dev libfreexl-dev libpugixml-dev
  qt6-base-dev qt6-qpa-plugins qt6-webengine-dev qt6-webchannel-dev qt6-httpserver-dev qt6-websockets-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-wqy-microhei python3-xlwt libxlsxwriter-dev xvfb
)
BUILD_DIR=${FENWARDE_BUILD_DIR:-build}

install_packages() {
  local missing=() p
  for p in "${PACKAGES[@]}"; do
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

build() {
  local werror=OFF
  [ "${CI:-}" = "true" ] && werror=ON
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DFENWARDE_WERROR=$werror >/dev/null
  cmake --build "$BUILD_DIR" -j2
}

case "${1:-}" in
  run)
    install_packages
    build
    if [ ! -x "$BUILD_DIR/fenwarde" ]; then
      echo "The client is not built yet; the tests are: ./fenwarde.sh test"
      exit 0
    fi
    exec "$BUILD_DIR/fenwarde-demo.sh"
    ;;
  test)
    install_packages
    build
    ctest --test-dir "$BUILD_DIR" --output-on-failure -j2 --timeout 300
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
