#!/usr/bin/env bash
# Installs what is missing, then builds everything in build/ and runs the
# whole suite.
# Tests run two at a time, each lane on a virtual display of its own, so no
# real display or sound card is needed. Arguments go to both ctest runs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
source tools/lanes.sh

step() { printf '\n== %s (%d s so far)\n' "$1" "$SECONDS"; }

# A folder configured before keeps its generator; a new one uses Ninja.
configure() {
  local dir=$1
  shift
  local generator=()
  [ -f "$dir/CMakeCache.txt" ] || generator=(-G Ninja)
  cmake -S . -B "$dir" "${generator[@]}" "$@"
}

step "normal build"
configure build
cmake --build build -j"$(nproc)"

start_test_lanes 2
step "normal suite"
ctest --test-dir build --output-on-failure -j2 --resource-spec-file "$LANES_SPEC" "$@"

step "done"
