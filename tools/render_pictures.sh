#!/usr/bin/env bash
# Renders the README's pictures with the game itself: headless, drawn with
# OpenGL on an offscreen surface, each from a key script in docs/pictures
# (the robots frozen on the first tick so each picture is the same every
# time) or from the demos for the two end booths.
#   tools/render_pictures.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
game=${1:-build}/cogstorm
out=docs/pictures
export SDL_VIDEODRIVER=offscreen
shot() {  # name ticks keys
  "$game" --headless --ticks "$2" --input "$3" --screenshot "$out/$1.png"
}
shot start 3 "$out/start.keys"
shot mirror 6 "$out/mirror.keys"
shot robot 12 "$out/robot.keys"
shot xray 4 "$out/xray.keys"
shot caught 80 demos/lose.keys
shot won 625 demos/win.keys
