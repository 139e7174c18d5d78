#!/usr/bin/env bash
# Installs what is missing, builds the game, the web page and the world board,
# and starts the board at http://127.0.0.1:8080/, serving the page and the
# API from one process, with its store in board-data/.
#
#   bash tools/board.sh [OPTION]...
#
# Options go to lantern-vault-board (--listen HOST:PORT, --data DIR, ...;
# --help lists them). Stop it with Ctrl+C (or SIGTERM): it answers the
# requests under way and exits.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh --board
# A new folder uses Ninja and compiles without debug information, as
# tools/play.sh and tools/test.sh make it; a folder configured before keeps
# its own settings.
settings=()
[ -f build/CMakeCache.txt ] ||
  settings=(-G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" "-DCMAKE_C_FLAGS_RELEASE=-O2 -DNDEBUG")
cmake -S . -B build "${settings[@]}"
cmake --build build -j"$(nproc)" --target lantern-vault lantern_data lantern-vault-board
# The page, from the data the build made (it installs Emscripten when missing).
bash tools/web.sh
exec build/lantern-vault-board --page build-web/page --data board-data "$@"
