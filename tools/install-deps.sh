#!/usr/bin/env bash
# Installs the Debian packages that building and running the game need,
# skipping those already present. Uses sudo when not run as root.
#
#   install-deps.sh [--package] [--board] [--tests] [PACKAGE...]
#
# --package adds what making and checking the Debian package needs; --board
# adds the world board's libraries (lantern-vault-board); --tests adds what
# running every test needs (virtual displays, real key presses, a sound
# server of our own, the checked build's compiler; and SDL2 for the
# benchmark's peer), the package's tools and the board's libraries, which the
# tests use. Packages named as arguments are installed too
# (tools/web.sh names its own). A player's first start needs none of these:
# it should not replace the sound server of a desktop that runs PipeWire.
set -euo pipefail

packages=(
  cmake g++ make ninja-build pkg-config
  libglfw3-dev libgl-dev libopenal-dev libstb-dev libvorbis-dev zlib1g-dev libcurl4-openssl-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev libx11-dev
  fonts-dejavu-core
)
package_tools=(dpkg-dev lintian desktop-file-utils appstream)
board_libraries=(libboost-dev nlohmann-json3-dev libsqlite3-dev libicu-dev liburiparser-dev libssl-dev)
test_tools=(
  clang libclang-rt-14-dev
  xvfb xauth xdotool x11-utils
  sound-theme-freedesktop alsa-utils
  pulseaudio pulseaudio-utils
  libsdl2-dev
)
for arg in "$@"; do
  case $arg in
    --package) packages+=("${package_tools[@]}") ;;
    --board) packages+=("${board_libraries[@]}") ;;
    --tests) packages+=("${package_tools[@]}" "${board_libraries[@]}" "${test_tools[@]}") ;;
    *) packages+=("$arg") ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
# Another install on the same machine holds dpkg's lock for a while: wait for
# it instead of failing.
lock=(-o DPkg::Lock::Timeout=600)
$sudo apt-get "${lock[@]}" update -qq
$sudo apt-get "${lock[@]}" install -y --no-install-recommends "${missing[@]}"
