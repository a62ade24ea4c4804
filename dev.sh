#!/usr/bin/env bash
# Cogstorm developer entry point for a Debian 12 machine.
#   ./dev.sh play [game options]   build and start the game with the shipped level
#   ./dev.sh test                  build and run the whole test suite under ASan/UBSan, then the web tests
#   ./dev.sh web build             build the browser version into build-web/site/
#   ./dev.sh web                   build it and serve it at http://127.0.0.1:8080/ (PORT to change)
# Each installs the Debian packages it needs when they are missing.
set -euo pipefail
cd "$(dirname "$0")"

TEST_PACKAGES=(xvfb xdotool desktop-file-utils appstream groff-base)
BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config
  libsdl2-dev libpng-dev libjpeg-dev libsndfile1-dev
  libopenal-dev libfluidsynth-dev timgm6mb-soundfont libgl-dev libegl-dev libgl1-mesa-dri
  python3-glad libcli11-dev nlohmann-json3-dev libtomlplusplus-dev libgtest-dev libbenchmark-dev librsvg2-bin)

# The browser build: Emscripten, headless Chromium for its tests, stb_image
# for BMP, dpkg-dev to unpack Debian's library sources (tools/web/).
WEB_PACKAGES=(emscripten chromium libstb-dev dpkg-dev timgm6mb-soundfont)

install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

configure() {  # configure DIR [cmake options...]
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
}

web_packages() {
  install_missing "${BUILD_PACKAGES[@]}" "${WEB_PACKAGES[@]}"
  command -v node >/dev/null || install_missing nodejs
  command -v npm >/dev/null || install_missing npm
}

# The browser build's tests (the simulation under Node against native traces,
# the page in headless Chromium), on the native build folder $1.
web_test() {
  web_packages
  tools/web/web.sh test "${1:-build}"
}

cmd=${1:-}
shift || true
case "$cmd" in
  play)
    install_missing "${BUILD_PACKAGES[@]}"
    configure build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build -j "$(nproc)" --target cogstorm
    exec ./build/cogstorm "$@"
    ;;
  test)
    install_missing "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    # One build under AddressSanitizer and UndefinedBehaviorSanitizer runs the
    # whole suite: -O1 with line tables, which is what the sanitizers need and
    # compiles in far less time than -O2 with full debug information.
    configure build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCOGSTORM_SANITIZE=ON -DCOGSTORM_BENCH=OFF \
      -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG"
    cmake --build build-sanitize -j "$(nproc)"
    (cd build-sanitize && ctest --output-on-failure -j "$(nproc)")
    # The browser build, against this build's traces.
    web_test build-sanitize
    ;;
  web)
    web_packages
    case "${1:-serve}" in
      build) tools/web/web.sh build ;;
      serve) tools/web/web.sh serve ;;
      *) echo "usage: $0 web [build]" >&2; exit 2 ;;
    esac
    ;;
  *)
    echo "usage: $0 play [game options] | test | web [build]" >&2
    exit 2
    ;;
esac
