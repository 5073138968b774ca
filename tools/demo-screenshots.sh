#!/bin/bash
# demo-screenshots.sh -- the README's pictures of the four demo scenes,
# taken by the replay tool along the golden-image scripts, offscreen.
# Usage: tools/demo-screenshots.sh [BUILD_DIR]   (default: build)
set -e
cd "$(dirname "$0")/.."
build=${1:-build}
mkdir -p docs/screenshots
# scene:step -- a moment of each script that shows its view mode well
for shot in walk:1 follow:30 drive:30 chase:199; do
    scene=${shot%%:*}
    step=${shot##*:}
    env -u DISPLAY -u WAYLAND_DISPLAY "$build/bin/ambler-replay" "scenes/$scene" \
        --steps $((step + 1)) --events "tests/golden/$scene.events" --size 480x360 \
        --shot "$step:docs/screenshots/$scene.png" < /dev/null
done
