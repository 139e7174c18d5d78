#!/usr/bin/env bash
# Builds the game as a static web page: installs what is missing (Debian's
# packages, and npm's Closure Compiler), makes the game's data with the desktop build's generator, and
# builds with Emscripten into build-web/. The page is the folder
# build-web/page/ (index.html, lantern-vault.js and .wasm, the data/ folder, the web app
# manifest with its icons and the service worker that keeps the page for
# offline play), which any static file server can serve, for example:
#
#   python3 -m http.server --bind 127.0.0.1 --directory build-web/page 8000
#
# and then open http://127.0.0.1:8000/ in a browser.
#
# --test also installs Chromium and runs the page's tests in it (tests/web/).
# --board URL builds a page that uses the world board at URL; without it the
# page uses a board at its own origin when one answers there (as
# tools/board.sh serves it), and shows no world parts otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."

run_tests=0
board=""
while [ $# -gt 0 ]; do
  case $1 in
    --test) run_tests=1 ;;
    --board)
      board=${2:-}
      shift
      ;;
    *) echo "web.sh: unknown argument '$1' (--test, --board URL)" >&2; exit 2 ;;
  esac
  shift
done

web_packages=(emscripten node-acorn)
[ $run_tests = 1 ] && web_packages+=(chromium)
# npm fetches the Closure Compiler (below); a Node.js from elsewhere brings
# its own npm.
command -v npm >/dev/null || web_packages+=(npm)
# The Closure Compiler's package runs a native binary on x86-64 Linux and
# Java everywhere else.
[ "$(uname -m)" = x86_64 ] || web_packages+=(default-jre-headless)
bash tools/install-deps.sh "${web_packages[@]}"
# Emscripten's optimiser loads acorn from Debian's Node module folder.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

# The Closure Compiler, which minifies the page's script at the link
# (host/web/web.cmake finds it in build-web/tools): npm's package, at the
# release this Emscripten (Debian's 3.1.6) was made with. Debian's own
# closure-compiler is far older than what this Emscripten's output needs.
closure_version=20220104.0.0
closure_dir=build-web/tools
installed=$(node -p "require('./$closure_dir/node_modules/google-closure-compiler/package.json').version" \
  2>/dev/null || true)
if [ "$installed" != "$closure_version" ]; then
  npm install --prefix "$closure_dir" --no-audit --no-fund --save-exact \
    "google-closure-compiler@$closure_version"
fi

# The data and the page's icons: the generator of the desktop build (only
# it, not the whole build).
if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
    "-DCMAKE_C_FLAGS_RELEASE=-O2 -DNDEBUG"
fi
cmake --build build -j"$(nproc)" --target lantern_data lantern_web_icons lantern_web_sounds

generator=()
[ -f build-web/CMakeCache.txt ] || generator=(-G Ninja)
emcmake cmake -S . -B build-web "${generator[@]}" -DLANTERN_DATA_DIR="$PWD/build/data" \
  -DLANTERN_WEB_ICON_DIR="$PWD/build/web-icons" -DLANTERN_WEB_SOUND_DIR="$PWD/build/web-sounds" \
  -DLANTERN_WEB_BOARD="$board"
cmake --build build-web -j"$(nproc)"

echo
echo "Built in $SECONDS s. The page is build-web/page/:"
ls -l build-web/page
# A player fetches the page's own files and, of its data, what the art
# resolution of the screen needs (tools/bench_web.sh measures it).
echo "The page and all its data: $(du -cb build-web/page | tail -1 | cut -f1) bytes in" \
  "$(find build-web/page -type f | wc -l) files, the biggest $(find build-web/page -type f -printf '%s\n' | sort -n | tail -1) bytes."
# What a player waits for before the game's data: its goal is 400 KB at most.
echo "The page's script and module: $(du -cb build-web/page/lantern-vault.{js,wasm} | tail -1 | cut -f1) bytes" \
  "(lantern-vault.js $(stat -c %s build-web/page/lantern-vault.js)," \
  "lantern-vault.wasm $(stat -c %s build-web/page/lantern-vault.wasm))."

if [ $run_tests = 1 ]; then
  node --experimental-websocket --test tests/web/
fi
