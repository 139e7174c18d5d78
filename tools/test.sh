#!/usr/bin/env bash
# Installs what is missing, then builds and tests everything twice:
#   build/       the normal build and its whole suite, and the Debian package
#                made from it, checked by tools/package_check.sh;
#   build-asan/  the same code and suite checked by AddressSanitizer and
#                UndefinedBehaviorSanitizer (clang), with the fuzz targets,
#                which then run for a short while each;
#   build-web/   the web page (tools/web.sh), tested in headless Chromium.
# Tests run two at a time, each lane on a virtual display of its own, so no
# real display or sound card is needed. Arguments go to both ctest runs.
#
# FUZZ_SECONDS (default 30) sets how long each fuzz target runs.
set -euo pipefail
cd "$(dirname "$0")/.."
# The web page's build and tests need Emscripten and Chromium as well.
bash tools/install-deps.sh --tests emscripten node-acorn chromium
source tools/lanes.sh

step() { printf '\n== %s (%d s so far)\n' "$1" "$SECONDS"; }
# A failing suite does not stop the later steps; the script fails at the end.
failed=()

# A folder configured before keeps its generator; a new one uses Ninja.
configure() {
  local dir=$1
  shift
  local generator=()
  [ -f "$dir/CMakeCache.txt" ] || generator=(-G Ninja)
  cmake -S . -B "$dir" "${generator[@]}" "$@"
}

step "normal build"
# A new folder compiles the same code as the default build type, without the
# debug information that takes a third of the compile time and that no test
# reads. A folder configured before keeps its own settings.
plain=()
[ -f build/CMakeCache.txt ] ||
  plain=(-DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" "-DCMAKE_C_FLAGS_RELEASE=-O2 -DNDEBUG")
configure build "${plain[@]}"
cmake --build build -j"$(nproc)"
start_test_lanes 2
# Two lanes share the machine's cores already: Mesa's software rasteriser
# drawing on each game's own thread costs a fifth less CPU than handing the
# work to helper threads that would only compete with the other lane.
export LP_NUM_THREADS=0
logs=$(mktemp -d /tmp/lantern-ci-XXXXXX)

# The checked build compiles while the normal suite runs, at the lowest
# priority: much of the suite waits on windows and key presses, and the
# build takes only the time the tests leave.
step "normal suite, with the checked build beside it"
(
  export CC=clang CXX=clang++
  nice -n 19 bash -c "$(declare -f configure); configure build-asan -DLANTERN_SANITIZE=ON -DLANTERN_FUZZ=ON &&
    cmake --build build-asan -j$(nproc)"
) >"$logs/checked-build.log" 2>&1 &
build_pid=$!
# So does the web page, from the data the normal build made.
nice -n 19 bash tools/web.sh >"$logs/web-build.log" 2>&1 &
web_pid=$!
ctest --test-dir build --output-on-failure -j2 --resource-spec-file "$LANES_RESOURCES" "$@" || failed+=("normal suite")
# The Debian package is made from the normal build and checked (built,
# linted, installed, run and removed) while the checked build compiles.
step "Debian package, with the checked build beside it"
bash tools/package_check.sh || failed+=("package")
step "checked build (waiting for it to finish)"
checked_built=1
wait $build_pid || checked_built=0
cat "$logs/checked-build.log"

if [ $checked_built = 1 ]; then
  # Likewise the fuzz targets run, each for a bounded time, beside the checked suite.
  step "checked suite, with the fuzz targets beside it"
  nice -n 19 bash tools/fuzz.sh -j"$(nproc)" build-asan "${FUZZ_SECONDS:-30}" >"$logs/fuzz.log" 2>&1 &
  fuzz_pid=$!
  ctest --test-dir build-asan --output-on-failure -j2 --resource-spec-file "$LANES_RESOURCES" "$@" || failed+=("checked suite")
  step "fuzzing (waiting for it to finish)"
  wait $fuzz_pid || failed+=("fuzzing")
  cat "$logs/fuzz.log"
else
  failed+=("checked build")
fi

# The page's tests drive a browser in real time: they run alone, at the end.
step "web page (waiting for its build), then its tests in headless Chromium"
if wait $web_pid; then
  tail -n 2 "$logs/web-build.log"
  node --experimental-websocket --test tests/web/ || failed+=("web page tests")
else
  cat "$logs/web-build.log"
  failed+=("web build")
fi
rm -rf "$logs"

if [ ${#failed[@]} -gt 0 ]; then
  step "FAILED: ${failed[*]}"
  exit 1
fi
step "all passed"
