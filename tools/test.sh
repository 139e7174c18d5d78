#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test under a
# virtual display (no real display or sound card is needed).
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh
cmake -S . -B build
cmake --build build -j"$(nproc)"
cd build
exec xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j1 "$@"
