#!/usr/bin/env bash
# The browser build, called by dev.sh once the Debian packages are there.
#   tools/web/web.sh build [NATIVE]   build the page into build-web/site/
#   tools/web/web.sh serve [NATIVE]   build it and serve it at http://127.0.0.1:$PORT/ (8080)
#   tools/web/web.sh test [NATIVE]    build it and run its tests (ctest in build-web)
# NATIVE is a native build folder (default: build): its level compiler
# and media generator make the level the page packs, and its cogstorm
# writes the traces the tests compare with. The WebAssembly libraries and
# js-synthesizer are cached under ~/.cache/cogstorm-web.
set -euo pipefail
cd "$(dirname "$0")/../.."

what=${1:-build}
native=${2:-build}
jobs=$(nproc)
export NODE_PATH=/usr/share/nodejs  # Debian's emscripten needs its node modules, which node 20 does not search
cache=${COGSTORM_WEB_CACHE:-$HOME/.cache/cogstorm-web}
synth_version=1.11.0

# The level (and, for the tests, the native program) from the native build.
if [ ! -f "$native/build.ninja" ]; then
  cmake -S . -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
targets=(shipped_level)
[ "$what" = test ] && targets+=(cogstorm)
cmake --build "$native" -j "$jobs" --target "${targets[@]}"

deps=$(tools/web/build_deps.sh | tail -1)

# FluidSynth on WebAssembly, from npm.
synth=$cache/npm-js-synthesizer-$synth_version
if [ ! -f "$synth/node_modules/js-synthesizer/dist/js-synthesizer.min.js" ]; then
  mkdir -p "$synth"
  npm install --prefix "$synth" --no-audit --no-fund --no-save --loglevel=error "js-synthesizer@$synth_version" >/dev/null
fi

emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release -DCOGSTORM_TESTS=ON \
  -DCOG_WEB_DEPS="$deps" -DCOG_WEB_LEVEL="$PWD/$native/level" -DCOG_WEB_NATIVE="$PWD/$native" \
  -DCOG_WEB_SYNTH="$synth/node_modules/js-synthesizer" >/dev/null
cmake --build build-web -j "$jobs"

case "$what" in
  build)
    echo "The page is in build-web/site/ (copy the folder to any static web host)."
    ;;
  serve)
    port=${PORT:-8080}
    echo "Cogstorm: http://127.0.0.1:$port/"
    exec python3 -m http.server --bind 127.0.0.1 --directory build-web/site "$port"
    ;;
  test)
    (cd build-web && ctest --output-on-failure -j "$jobs")
    ;;
  *)
    echo "usage: $0 build|serve|test [NATIVE]" >&2
    exit 2
    ;;
esac
