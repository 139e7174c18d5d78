#!/usr/bin/env bash
# tools/bench_web.sh - the web page in play beside the desktop game: frames
# per second and CPU time per second of play, the page in headless Chromium
# with software WebGL (SwiftShader), the game under Xvfb with Mesa's
# software GL, both at 640 x 480; then how soon the page answers a new player
# (tools/bench_web/bench_load.mjs). Run by hand after tools/web.sh and a
# normal build; takes about seven minutes:
#
#   bash tools/bench_web.sh [PAGE_FOLDER [BUILD_FOLDER]]
#
# The page's rows come from tools/bench_web/bench_web.mjs, the game's from
# tools/bench_play (see tools/bench.sh), in the same run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
page=$(cd "${1:-$root/build-web/page}" && pwd)
build=$(cd "${2:-$root/build}" && pwd)

for f in "$page/index.html" "$build/lantern-vault" "$build/tools/bench_play/bench_play"; do
    if [ ! -e "$f" ]; then
        echo "bench_web.sh: $f is missing: run tools/web.sh and build $build first" >&2
        exit 1
    fi
done

echo "== the web page (headless Chromium, SwiftShader)"
node --experimental-websocket "$root/tools/bench_web/bench_web.mjs" "$page"

echo "== the web page's first start, desktop and phone, throttled and at full speed"
node --experimental-websocket "$root/tools/bench_web/bench_load.mjs" "$page"

echo "== the desktop game (Xvfb, Mesa llvmpipe)"
ALSOFT_DRIVERS=null xvfb-run -a -s "-screen 0 1920x1080x24" \
    "$build/tools/bench_play/bench_play" "$build/lantern-vault" "$build/tools/bench_reference/bench_reference" \
    "$build/tools/frame_probe/frame_probe.so" "$build/data" |
    grep -E "^(CPU per second of play: game|frames per second: game)" || true
