#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it.
#
# Only what playing needs is built: the game with its runtime, and its data
# folder (the asset generator and what it makes). The test programs and
# benchmarks are left to tools/test.sh, which builds everything.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
# A new folder uses Ninja and compiles without the debug information a player
# has no use for (the same settings tools/test.sh gives a new folder); a
# folder configured before keeps its own.
settings=()
[ -f build/CMakeCache.txt ] ||
  settings=(-G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" "-DCMAKE_C_FLAGS_RELEASE=-O2 -DNDEBUG")
cmake -S . -B build "${settings[@]}"
cmake --build build -j"$(nproc)" --target lantern-vault lantern_data
cd build && exec ./lantern-vault
