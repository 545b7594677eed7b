#!/usr/bin/env bash
# Proves Zorvane installs like a desktop tool: builds it without the test tools, installs it into
# a temporary prefix and compares the files with packaging/installed-files.txt, validates the
# desktop entry and the metainfo, renders the man pages, builds the .deb, lists it and runs
# lintian on it, and asks the installed monitor for its version with no display.
# Usage: scripts/check-package.sh [BUILD_DIR]   (default build-pkg; reused between runs)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-pkg}

step() { printf -- '-- %s\n' "$*"; }

step "Configure without the tests (GoogleTest hidden) and build"
# Debian's compiler and linker flags, hardening included, as Debian builds its packages.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -G Ninja -DBUILD_TESTING=OFF -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DZORVANE_WERROR=ON \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" --no-warn-unused-cli >/dev/null
cmake --build "$build"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
step "Install into $prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null
diff -u packaging/installed-files.txt <(cd "$prefix" && find . ! -type d | cut -c3- | LC_ALL=C sort)

step "Desktop entry and metainfo"
desktop-file-validate "$prefix/share/applications/zorvane.desktop"
metainfo=("$prefix"/share/metainfo/*.metainfo.xml)
appstreamcli validate --no-net "${metainfo[@]}"
grep -q "<release version=\"$version\"" "${metainfo[@]}" ||
  { echo "the metainfo has no release $version" >&2; exit 1; }
zcat "$prefix/share/doc/zorvane/changelog.gz" | head -n 1 | grep -qF "zorvane ($version)" ||
  { echo "packaging/changelog does not start with version $version" >&2; exit 1; }

step "Man pages"
for page in "$prefix"/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || { printf '%s:\n%s\n' "$page" "$warnings" >&2; exit 1; }
  echo "$(basename "$page"): renders without warnings"
done

step "--version of every program, with no display"
for program in zorvane zorvane-sim zorvane-decode zorvane-names; do
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$prefix/bin/$program" --version)
  [ "$out" = "$program $version" ] || { echo "$program --version printed '$out'" >&2; exit 1; }
  echo "$out"
done

deb=$build/zorvane_${version}_amd64.deb
step "Build $deb"
rm -f "$deb"
(cd "$build" && cpack -G DEB >/dev/null)
dpkg-deb --info "$deb" | sed -n 's/^ \(Depends\|Section\|Installed-Size\):/&/p'
dpkg-deb --contents "$deb"
rm -rf "$prefix"/deb && dpkg-deb --extract "$deb" "$prefix/deb"
appstreamcli validate-tree --no-net "$prefix/deb"

step "lintian"
# lintian warns about running as root (CI does); the tags go to standard output.
lintian --fail-on error --display-info "$deb" 2>/dev/null && echo "lintian: no errors"
