#!/usr/bin/env bash
# Builds the Debian package build-deb/lantern-vault_<version>_<arch>.deb.
#
# Installs what is missing, builds the game in the normal build folder build/
# (configured as tools/test.sh configures a new one), installs it in Debian's
# layout for games (the install component "debian", see tools/install/) into
# a staging folder, and wraps that with Debian's own tools:
#   dpkg-shlibdeps   the run-time dependencies, read from the executable
#   dpkg-gencontrol  the control file, from tools/install/control
#   dpkg-deb         the package, every file owned by root
# The version is the one the built game reports (lantern-vault --version),
# which comes from project() in CMakeLists.txt; the newest entries of the
# changelog and of the AppStream releases must name it too.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh --package

out=build-deb
# Files and folders made here get the permissions a package wants whatever
# the caller's umask: 0644 and 0755.
umask 022

# The normal build: a folder configured before keeps its own settings.
configure=()
[ -f build/CMakeCache.txt ] ||
  configure=(-G Ninja -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG"
    "-DCMAKE_C_FLAGS_RELEASE=-O2 -DNDEBUG")
cmake -S . -B build "${configure[@]}" >/dev/null
# Only what the package holds, not the tests and benchmarks.
cmake --build build -j"$(nproc)" --target lantern-vault lantern_data lantern_icons lantern_docs

version=$(build/lantern-vault --version | sed -n 's/^lantern-vault \([0-9][0-9.]*\)$/\1/p')
if [ -z "$version" ]; then
  echo "package: the built game reports no version" >&2
  exit 1
fi
changelog_version=$(dpkg-parsechangelog -l tools/install/changelog -S Version)
release_version=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' tools/install/lantern-vault.metainfo.xml | head -n1)
if [ "$changelog_version" != "$version" ] || [ "$release_version" != "$version" ]; then
  echo "package: the game is version $version, but the newest entry of tools/install/changelog is" \
    "$changelog_version and of the releases in tools/install/lantern-vault.metainfo.xml $release_version;" \
    "add an entry for $version to both" >&2
  exit 1
fi
arch=$(dpkg --print-architecture)
deb="$out/lantern-vault_${version}_${arch}.deb"

# Staging: the files as they will lie below /.
stage="$PWD/$out/stage"
rm -rf "$stage" "$out/debian" "$out"/*.deb
mkdir -p "$stage/DEBIAN"
DESTDIR="$stage" cmake --install build --component debian --prefix /usr >/dev/null
# Stripped as Debian's own packaging tools strip a program.
strip --remove-section=.comment --remove-section=.note --strip-unneeded \
  "$stage/usr/lib/games/lantern-vault/lantern-vault"

# Debian's tools read the package's description from a source folder's
# debian/control and the version's history from debian/changelog.
mkdir -p "$out/debian"
cp tools/install/control tools/install/changelog "$out/debian/"
(
  cd "$out"
  dpkg-shlibdeps -Tdebian/substvars "$stage/usr/lib/games/lantern-vault/lantern-vault"
  dpkg-gencontrol -plantern-vault -v"$version" -P"$stage" -Tdebian/substvars -fdebian/files
)
(cd "$stage" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) >"$stage/DEBIAN/md5sums"

# Every file carries the time of the changelog's newest entry, so the same
# sources give the same package.
SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l tools/install/changelog -S Timestamp)
export SOURCE_DATE_EPOCH
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
echo "$deb"
