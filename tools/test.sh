#!/usr/bin/env bash
# Installs what is missing, then builds and tests everything twice:
#   build/       the normal build and its whole suite;
#   build-asan/  the same code and suite checked by AddressSanitizer and
#                UndefinedBehaviorSanitizer (clang), with the fuzz targets,
#                which then run for a short while each.
# Tests run two at a time, each lane on a virtual display of its own, so no
# real display or sound card is needed. Arguments go to both ctest runs.
#
# FUZZ_SECONDS (default 30) sets how long each fuzz target runs.
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

step "checked build"
CC=clang CXX=clang++ configure build-asan -DLANTERN_SANITIZE=ON -DLANTERN_FUZZ=ON
cmake --build build-asan -j"$(nproc)"

step "checked suite"
ctest --test-dir build-asan --output-on-failure -j2 --resource-spec-file "$LANES_SPEC" "$@"

step "fuzzing"
bash tools/fuzz.sh -j"$(nproc)" build-asan "${FUZZ_SECONDS:-30}"

step "done"
