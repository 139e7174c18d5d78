#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the game
# need, skipping those already present. Uses sudo when not run as root.
set -euo pipefail

packages=(
  cmake g++ make ninja-build pkg-config
  clang libclang-rt-14-dev
  libglfw3-dev libgl-dev libopenal-dev libstb-dev libvorbis-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core
  libx11-dev xvfb xauth xdotool x11-utils
  sound-theme-freedesktop alsa-utils
  pulseaudio pulseaudio-utils
)

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
