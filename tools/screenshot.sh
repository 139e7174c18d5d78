#!/usr/bin/env bash
# Takes the screenshot that the AppStream metainfo shows in software centres:
# the real game, built in build/, on a virtual display scaled to 200 %, so the
# window is 1280 x 960 and draws its sharpest art. It starts a round from the
# menu, walks a little and photographs the window into
# tools/install/screenshot.png (or the file named as the first argument).
#
# The picture is committed rather than made by every build: the metainfo
# names it by a web address, where the project's site serves the committed
# file, and a build should not need a display to run. Each run shows a new
# random maze; take it again when the game's look changes, and keep the
# width and height in tools/install/lantern-vault.metainfo.xml in step.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(readlink -f "${1:-tools/install/screenshot.png}")
bash tools/install-deps.sh --tests
# xrdb sets the desktop's scale; import (ImageMagick) photographs a window.
for need in xrdb:x11-xserver-utils import:imagemagick; do
  if ! command -v "${need%%:*}" >/dev/null; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends "${need#*:}"
  fi
done
cmake --build build --target lantern-vault lantern_data

work=$(mktemp -d /tmp/lantern-screenshot-XXXXXX)
pids=()
finish() {
  if [ ${#pids[@]} -gt 0 ]; then kill "${pids[@]}" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap finish EXIT

# A display of its own; -noreset keeps the scale after xrdb disconnects.
Xvfb -displayfd 3 -screen 0 1600x1200x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
echo "Xft.dpi: 192" | xrdb -nocpp -merge

ln -s "$PWD/build/data" "$work/data"
(cd "$work" && exec env ALSOFT_DRIVERS=null "$OLDPWD/build/lantern-vault") &
pids+=($!)
title=$(bash tools/game_driver/title.sh)
window=$(timeout 30 xdotool search --sync --onlyvisible --pid "${pids[1]}" --name "^$title\$" | head -n1)

# The colour (0xRRGGBB) of one pixel of the window.
pixel() { import -window "$window" -crop "1x1+$1+$2" -depth 8 txt:- | sed -n 's/.*#\([0-9A-Fa-f]\{6\}\).*/0x\1/p'; }
near() { # near COLOUR COLOUR: every channel within 16
  local a=$1 b=$2 s
  for s in 16 8 0; do
    local d=$((((a >> s) & 255) - ((b >> s) & 255)))
    ((d < 16 && d > -16)) || return 1
  done
}
# The menu is up when the loading screen's band and background are gone.
for _ in $(seq 300); do
  p=$(pixel 128 480)
  if [ -n "$p" ] && ! near "$p" 0xbb7c42 && ! near "$p" 0x282850 && ! near "$p" 0x000000; then break; fi
  sleep 0.1
done
press() { xdotool windowfocus --sync "$window" keydown "$1" sleep "$2" keyup "$1"; }
press Return 0.15  # the selected variant
sleep 4            # the round's opening
press Right 1.5
sleep 0.5
import -window "$window" "$out"
echo "$out: $(identify -format '%w x %h' "$out")"
