#!/usr/bin/env bash
# A player's first start: tools/play.sh in a fresh clone of this tree opens the
# game's window, and by then nothing has been built but the game, its runtime
# and its data (no test program, no benchmark). Prints how long the window
# took to appear.
# Usage: play_checks.sh <source folder>
# Exits 77 (skipped) without a display or when the folder is not a git tree.
set -u
src=$1
# The window is found by the game's title, from its one place in the source.
title=$(bash "$src/tools/game_driver/title.sh") || exit 1
window_limit=1500  # seconds for the build and the first window on a loaded machine

# The lane's display, as tests/common/lane_display.cpp picks it for the test programs.
group=${CTEST_RESOURCE_GROUP_0_DISPLAY:-}
if [[ $group == id:* ]]; then
    id=${group#id:}
    export DISPLAY=":${id%%,*}"
fi
if [ -z "${DISPLAY:-}" ]; then
    echo "needs a display"
    exit 77
fi
command -v xdotool >/dev/null || { echo "needs xdotool (tools/install-deps.sh installs it)"; exit 1; }
if ! git -C "$src" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "$src is not a git work tree: there is nothing to clone"
    exit 77
fi

work=$(mktemp -d /tmp/lantern-play-XXXXXX)
game=""
cleanup() {
    if [ -n "$game" ] && kill -0 "$game" 2>/dev/null; then kill -KILL "$game"; fi
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "--- play.sh said:"
    tail -n 40 "$work/play.log"
    echo "FAILED: $*"
    exit 1
}

# The fresh clone: every tracked file as it stands in the tree, changes
# included, and nothing else (no build folder).
mkdir "$work/clone"
(cd "$src" && git ls-files -z | tar --null --ignore-failed-read -T - -cf -) | tar -C "$work/clone" -xf - ||
    { echo "could not copy the tree"; exit 1; }

# The build runs at a lower priority, so that the tests beside it keep their pace.
started=$(date +%s%N)
elapsed_ms() { echo $((($(date +%s%N) - started) / 1000000)); }
ALSOFT_DRIVERS=null nice -n 10 bash "$work/clone/tools/play.sh" >"$work/play.log" 2>&1 &
game=$!  # play.sh ends by becoming the game

wid=""
until wid=$(xdotool search --name "^$title\$" 2>/dev/null | head -n 1) && [ -n "$wid" ]; do
    kill -0 "$game" 2>/dev/null || fail "play.sh ended before the game's window opened"
    [ "$(elapsed_ms)" -le $((window_limit * 1000)) ] || fail "no window after $window_limit s"
    sleep 0.2
done
ms=$(elapsed_ms)
printf 'first window %d.%d s after play.sh started (load average %s)\n' \
    $((ms / 1000)) $((ms % 1000 / 100)) "$(cut -d ' ' -f 1-3 /proc/loadavg)"

# The game is ours (play.sh became it): stop it by its id.
kill -TERM "$game"
wait "$game" 2>/dev/null
game=""

# What was built: the game and its data, and no program or object of the tests.
build="$work/clone/build"
[ -x "$build/lantern-vault" ] || fail "no game in build/"
[ -f "$build/data/.assetgen-stamp" ] || fail "no data folder in build/"
programs=$(cd "$build" && find . -name CMakeFiles -prune -o -type f -perm -u+x -print | sort |
    while read -r f; do [ "$(head -c 4 "$f" | tail -c 3)" = ELF ] && echo "${f#./}"; done)
expected=$'lantern-vault\ntools/assetgen/assetgen'
if [ "$programs" != "$expected" ]; then
    echo "--- programs built:"
    echo "$programs"
    fail "play.sh built more than the game and its data generator"
fi
objects=$(find "$build/tests" -name '*.o' 2>/dev/null | head -n 5)
[ -z "$objects" ] || fail "test code was compiled: $objects"
echo "play.sh built only the game, its runtime and its data"
