#!/usr/bin/env bash
# The soak program replays a run from its seed, catches a leak, and refuses
# bad arguments.
# Usage: soak_checks.sh <soak executable>
set -u
soak="$1"
# What the player did and saw, without the timings and memory figures.
counts() { grep -E '^soak: (seed|rounds started|pauses|options|input|pad|window)' "$1"; }

first=$(mktemp) second=$(mktemp)
trap 'rm -f "$first" "$second"' EXIT
"$soak" --seed 7 --updates 2000 > "$first" || { cat "$first"; echo "soak failed"; exit 1; }
"$soak" --seed 7 --updates 2000 > "$second" || { cat "$second"; echo "soak failed"; exit 1; }
if ! diff <(counts "$first") <(counts "$second"); then
    echo "the same seed played differently"
    exit 1
fi
if [ "$(counts "$first" | wc -l)" -ne 7 ]; then
    cat "$first"
    echo "the report is missing lines"
    exit 1
fi
# 16 KiB of collected and of native memory an update for the 1500 updates after the warm-up.
"$soak" --seed 7 --updates 3000 --leak 16384 > "$first"
status=$?
if [ $status -ne 1 ] || [ "$(grep -c 'NOT BOUNDED' "$first")" -ne 3 ]; then
    cat "$first"
    echo "a leak was not caught by all three memory checks (status $status)"
    exit 1
fi
"$soak" --updates ten > /dev/null 2>&1
if [ $? -ne 2 ]; then
    echo "a bad argument was not refused with status 2"
    exit 1
fi
