#!/usr/bin/env bash
# CI's checks of the Debian package (tools/test.sh runs this):
#   1. Debian's tools accept it: lintian reports no error (its warnings and
#      notes are printed; README.md explains the ones that remain),
#      desktop-file-validate passes on the desktop entry and appstreamcli
#      validates the metainfo without the network;
#   2. it installs with apt-get on this machine, the installed lantern-vault
#      answers --version with the package's version, starts under a virtual
#      display from an unrelated folder with only HOME set, keeps its state in
#      the player's XDG data folder and quits from the menu
#      (tests/package/installed_package_test.cpp);
#   3. apt-get remove takes every installed file away and leaves the player's
#      state alone.
# The package is removed again at the end whatever happened, and one check
# at a time holds the machine's package (other clones may run this too).
# Installing needs root: sudo is used when not run as root.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/lanes.sh
bash tools/package.sh
deb=$(echo build-deb/lantern-vault_*.deb)
cmake --build build -j"$(nproc)" --target package_tests

step() { printf '== %s (%d s so far)\n' "$1" "$SECONDS"; }
failed=0
fail() {
  echo "package: FAILED: $*" >&2
  failed=1
}

tmp=$(mktemp -d /tmp/lantern-package-XXXXXX)
dpkg-deb -x "$deb" "$tmp/content"

step "lintian"
# Errors fail the check; warnings and notes are shown.
lintian --info --fail-on error "$deb" || fail "lintian reports errors"
step "desktop-file-validate"
desktop-file-validate "$tmp/content/usr/share/applications/lantern-vault.desktop" || fail "desktop-file-validate"
step "appstreamcli validate"
appstreamcli validate --no-net "$tmp"/content/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"

sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 -q -y)
installed() { [ "$(dpkg-query -W -f='${db:Status-Status}' lantern-vault 2>/dev/null)" = installed ]; }
# Anything dpkg knows of the package, a half-done installation included.
known() {
  local status
  status=$(dpkg-query -W -f='${db:Status-Status}' lantern-vault 2>/dev/null) && [ "$status" != not-installed ]
}

# One package check at a time on this machine: the package is the machine's.
exec 9>/tmp/lantern-vault-package.lock
flock -w 900 9 || {
  echo "package: another check has held the package for 15 minutes" >&2
  exit 1
}
cleanup() {
  if known; then "${apt[@]}" purge lantern-vault >/dev/null || true; fi
  rm -rf "$tmp"
  stop_test_lanes
}
trap cleanup EXIT

step "apt-get install"
# apt reads a local package as its own unprivileged user where it can; a
# package it cannot read that way is read as root, with a notice.
"${apt[@]}" install "$PWD/$deb" 2>&1 | grep -v "^N: Download is performed unsandboxed" || true
if ! installed; then
  fail "the package did not install"
  exit 1
fi

home="$tmp/home"
mkdir -p "$home"
version=$(dpkg-deb -f "$deb" Version)
answer=$(env -i HOME="$home" /usr/games/lantern-vault --version) || fail "--version exited with $?"
[ "$answer" = "lantern-vault $version" ] || fail "--version says '$answer', the package is $version"

step "the installed game"
# A virtual display of its own, open to local clients without an authority
# file, since the game gets nothing but HOME and DISPLAY.
start_test_lanes 1
trap cleanup EXIT  # start_test_lanes set a trap of its own
LANTERN_PACKAGE_HOME="$home" build/tests/package_tests || fail "the installed game"
state="$home/.local/share/lantern-vault/.vorlinstate"
state_before=$(md5sum <"$state" 2>/dev/null || echo "none")

step "apt-get remove"
dpkg-query -L lantern-vault >"$tmp/files"
"${apt[@]}" remove lantern-vault >/dev/null || fail "apt-get remove"
while IFS= read -r path; do
  # Folders such as /usr/share/icons/hicolor belong to other packages too.
  if [ -e "$path" ] && [ ! -d "$path" ]; then fail "$path is still there"; fi
done <"$tmp/files"
for folder in /usr/lib/games/lantern-vault /usr/share/games/lantern-vault /usr/share/doc/lantern-vault; do
  [ ! -e "$folder" ] || fail "$folder is still there"
done
[ "$(md5sum <"$state" 2>/dev/null || echo "gone")" = "$state_before" ] || fail "the player's state changed or went"

if [ $failed -ne 0 ]; then exit 1; fi
echo "package: all checks passed"
