#!/usr/bin/env bash
# tools/bench.sh - the benchmark table: what a sprite, an update, a replay of
# the display list and a collection step cost, how long start-up takes, and
# what the running game costs per second of play against a reference program
# with the same load. Run by hand from anywhere, after a normal build:
#
#   bash tools/bench.sh [BUILD_FOLDER]      (default: build/ in this checkout)
#
# Without a DISPLAY it starts its own virtual one (xvfb-run). Takes about a
# minute and a half. Each figure is a median: of 5 repetitions for the
# micro-benchmarks (their spread is in the note as cv, the coefficient of
# variation), of 3 runs for the collector and start-up, and of 5 turns of
# play. The game and the reference take turns of 3 s (one stopped while the
# other runs), so load from other programs on the machine touches both alike.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" "$build"
fi
export ALSOFT_DRIVERS=null

need="lantern-vault tools/bench_graphics/bench_graphics tools/bench_game/bench_game tools/bench_gc/bench_gc
      tools/bench_play/bench_play tools/bench_reference/bench_reference tools/frame_probe/frame_probe.so data/gfx.png
      tools/soak/soak"
for f in $need; do
    if [ ! -e "$build/$f" ]; then
        echo "bench.sh: $build/$f is missing; build first: cmake --build $build" >&2
        exit 1
    fi
done
command -v xdotool >/dev/null || { echo "bench.sh: needs xdotool" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# Google Benchmark programs: 5 repetitions, JSON with the aggregates only.
gbench() {
    local name=$1
    shift
    "$build/tools/$name/$name" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
        --benchmark_min_time=0.2 --benchmark_format=json "$@" >"$tmp/$name.json" 2>/dev/null
}
# value NAME ROW KEY: one figure of one result row written by gbench.
value() {
    awk -v row="\"$2\"," -v key="\"$3\":" '
        $1 == "\"name\":" { in_row = $2 == row }
        in_row && $1 == key { v = $2; sub(/,$/, "", v); gsub(/"/, "", v); print (v ~ /^[-+0-9.e]+$/ ? v + 0 : v) }
    ' "$tmp/$1.json"
}
# Times are CPU times of one iteration: the wall clock on a shared machine
# also counts the time other programs held the processor.
time_us() {
    local t unit
    t=$(value "$1" "$2_median" cpu_time)
    unit=$(value "$1" "$2_median" time_unit)
    awk -v t="$t" -v u="$unit" 'BEGIN { f = u == "ns" ? 1e-3 : u == "us" ? 1 : u == "ms" ? 1e3 : 1e6; printf "%.2f", t * f }'
}
cv() { awk -v c="$(value "$1" "$2_cv" cpu_time)" 'BEGIN { printf "cv %.1f%%", c * 100 }'; }
row() { printf "%-40s %10s  %-8s %-12s %s\n" "$@"; }

gbench bench_graphics --benchmark_filter='BM_DrawImage_StripFrame|BM_DrawImage2_RotatedScaled'
gbench bench_game
"$build/tools/bench_gc/bench_gc" 3 >"$tmp/gc.txt"

printf "%-40s %10s  %-8s %-12s %s\n" "what" "figure" "unit" "target" "note"
printf '%.0s-' {1..110}; echo
for b in BM_DrawImage_StripFrame:"sprite submission" BM_DrawImage2_RotatedScaled:"sprite submission, rotated and scaled"; do
    name=${b%%:*}
    ns=$(awk -v s="$(value bench_graphics "${name}_median" per_sprite)" 'BEGIN { printf "%.1f", s * 1e9 }')
    row "${b#*:}" "$ns" "ns" "" "per sprite into the batch, 250 a pass; $(cv bench_graphics "$name"); allocs $(value bench_graphics "${name}_median" allocs)"
done
enemies=$(value bench_game BM_Update_Game_median enemies)
particles=$(value bench_game BM_Update_Game_median particles)
row "one game update" "$(time_us bench_game BM_Update_Game)" "us" "" \
    "maze, ${enemies%.*} enemies (all records; cap 80), ${particles%.*} particles (pool full); $(cv bench_game BM_Update_Game); allocs $(value bench_game BM_Update_Game_median allocs)"
commands=$(value bench_game BM_Render_FullList_median commands)
row "display-list replay" "$(time_us bench_game BM_Render_FullList)" "us" "" \
    "${commands%.*} commands, CPU side (no GL context); $(cv bench_game BM_Render_FullList); allocs $(value bench_game BM_Render_FullList_median allocs)"
read -r mean p99 max live garbage _ < <(sort -n "$tmp/gc.txt" | sed -n 2p)
row "collection step under load" "$mean" "us" "" \
    "mean of 20000 steps (median of 3 runs), p99 $p99, max $max; live ${live} MiB small objects, ${garbage} KiB garbage a step"
# Checking replays (--verify): the rounds of a soak run, all in one run of the
# game, against its shortest round alone (start-up and little else). The
# difference over the difference in updates is the cost of an update; a
# five-minute round is start-up plus 18000 of them. CPU times, median of 3.
"$build/tools/soak/soak" --seed 3 --updates 30000 --keep-rounds "$tmp/rounds" >"$tmp/soak.txt" ||
    { cat "$tmp/soak.txt"; echo "bench.sh: the soak run failed" >&2; exit 1; }
ln -s "$build/data" "$tmp/rounds/data"
verify_cpu() {
    local t
    TIMEFORMAT='%3U %3S'
    t=$( { time (cd "$tmp/rounds" && "$build/lantern-vault" --verify "$@" >/dev/null 2>&1); } 2>&1)
    awk -v t="$t" 'BEGIN { split(t, a, " "); print a[1] + a[2] }'
}
median3() { printf '%s\n' "$@" | sort -g | sed -n 2p; }
rounds=("$tmp"/rounds/*.replay)
# "FILE: score S updates U: matched", a line each.
(cd "$tmp/rounds" && "$build/lantern-vault" --verify "${rounds[@]}") >"$tmp/verified.txt" ||
    { cat "$tmp/verified.txt"; echo "bench.sh: a soak round did not verify" >&2; exit 1; }
read -r shortest shortest_updates all_updates < <(sed -E 's/^(.*): score -?[0-9]+ updates ([0-9]+): matched$/\1 \2/' \
    "$tmp/verified.txt" | awk '{ n += $2; if (min == "" || $2 < min) { min = $2; f = $1 } } END { print f, min, n }')
one=$(median3 "$(verify_cpu "$shortest")" "$(verify_cpu "$shortest")" "$(verify_cpu "$shortest")")
all=$(median3 "$(verify_cpu "${rounds[@]}")" "$(verify_cpu "${rounds[@]}")" "$(verify_cpu "${rounds[@]}")")
read -r per_update five_minutes < <(awk -v one="$one" -v all="$all" -v n="$all_updates" -v s="$shortest_updates" \
    'BEGIN { u = (all - one) / (n - s); printf "%.1f %.0f\n", u * 1e6, (one + 18000 * u) * 1e3 }')
row "verifying a five-minute round" "$five_minutes" "ms" "under 1000" \
    "start-up $(awk -v t="$one" 'BEGIN { printf "%.0f", t * 1e3 }') ms + 18000 updates at $per_update us; ${#rounds[@]} soak rounds, $all_updates updates, in one run"
# The SDL2 peer is built where SDL2 is installed (tools/install-deps.sh).
peer=()
[ -x "$build/tools/bench_sdl2/bench_sdl2" ] && peer=("$build/tools/bench_sdl2/bench_sdl2")
"$build/tools/bench_play/bench_play" "$build/lantern-vault" "$build/tools/bench_reference/bench_reference" \
    "$build/tools/frame_probe/frame_probe.so" "$build/data" "${peer[@]}"
