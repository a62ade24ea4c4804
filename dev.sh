#!/usr/bin/env bash
# Cogstorm developer entry point for a Debian 12 machine.
#   ./dev.sh play [game options]   build and start the game with the shipped level
#   ./dev.sh test                  build and run the whole test suite under ASan/UBSan
# Each installs the Debian packages it needs when they are missing.
set -euo pipefail
cd "$(dirname "$0")"

TEST_PACKAGES=(xvfb xdotool desktop-file-utils appstream groff-base)
BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config
  libsdl2-dev libpng-dev libjpeg-dev libsndfile1-dev
  libopenal-dev libfluidsynth-dev timgm6mb-soundfont libgl-dev libegl-dev libgl1-mesa-dri
  python3-glad libcli11-dev nlohmann-json3-dev libtomlplusplus-dev libgtest-dev libbenchmark-dev librsvg2-bin)

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
    # One optimised build under AddressSanitizer and UndefinedBehaviorSanitizer
    # runs the whole suite (the benchmarks are built, not run).
    configure build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCOGSTORM_SANITIZE=ON
    cmake --build build-sanitize -j "$(nproc)"
    (cd build-sanitize && ctest --output-on-failure -j "$(nproc)")
    ;;
  *)
    echo "usage: $0 play [game options] | test" >&2
    exit 2
    ;;
esac
