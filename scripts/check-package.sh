#!/usr/bin/env bash
# Proves Zorvane installs like a desktop tool: builds it without the test tools, installs it into
# a temporary prefix and compares the files with packaging/installed-files.txt, validates the
# desktop entry and the metainfo, renders the man pages, verifies the systemd unit and rates its
# hardening, builds the .deb, lists it and runs lintian on it, asks the installed monitor for its version with no display, and starts it under
# Xvfb in a root that holds nothing but what apt installs for the .deb without recommendations.
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
root=$(mktemp -d)
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$prefix" "$root"' EXIT
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

step "The systemd unit"
# systemd-analyze reads the unit file itself: no running systemd needed. The unit names the
# program where this installation put it, which verify checks.
unit=$prefix/lib/systemd/system/zorvane-decode@.service
out=$(systemd-analyze verify --man=no "$unit" 2>&1) && [ -z "$out" ] ||
  { printf '%s\n' "$out" >&2; exit 1; }
echo "systemd-analyze verify: no complaints"
# Exposure 0 (locked down) to 10 (none); fail above 2.0.
systemd-analyze security --offline=true --threshold=20 "$unit" | tail -n 1

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
grep -qx 'ExecStart=/usr/bin/zorvane-decode .*' "$prefix"/deb/usr/lib/systemd/system/zorvane-decode@.service ||
  { echo "the package's unit does not start /usr/bin/zorvane-decode" >&2; exit 1; }

step "lintian"
# lintian warns about running as root (CI does); the tags go to standard output.
lintian --fail-on error --display-info "$deb" 2>/dev/null && echo "lintian: no errors"

step "Start the monitor with only what apt installs for the .deb, recommendations left out"
# apt's choice for a bare system (an empty package status), and the essential packages every
# Debian system has. Their files come from this system, or from the archive when not installed.
: >"$prefix/status"
packages=$({
  apt-get -s -o Dir::State::status="$prefix/status" --no-install-recommends install "$(realpath "$deb")" |
    sed -n 's/^Inst \([^ ]*\) .*/\1/p'
  dpkg-query -W -f='${Package} ${Essential}\n' | sed -n 's/ yes$//p'
} | sort -u | grep -vx zorvane)
mkdir -p "$root"/usr/{bin,sbin,lib,lib64} "$prefix/debs" "$root/tmp/run"
for dir in bin sbin lib lib64; do ln -s "usr/$dir" "$root/$dir"; done  # as a bookworm system
dpkg-deb --extract "$deb" "$root"
for package in $packages; do
  if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    # Folders come with their files; what a system leaves out (docs in a container) stays out.
    dpkg -L "$package" | grep '^/' | while read -r file; do
      [ -d "$file" ] || { [ ! -e "$file" ] && [ ! -L "$file" ]; } || echo "${file#/}"
    done
  else
    (cd "$prefix/debs" && apt-get download -q=2 -o APT::Sandbox::User=root "$package") >&2
  fi
done >"$prefix/files"
for package in "$prefix"/debs/*.deb; do [ ! -e "$package" ] || dpkg-deb --extract "$package" "$root"; done
tar -C / --no-recursion -cf - -T "$prefix/files" | tar -C "$root" --keep-directory-symlink -xf -
ldconfig -r "$root"
cp "$root/usr/share/doc/zorvane/examples/names.ini" "$root/tmp/"
chmod 700 "$root/tmp/run"
echo "$(wc -w <<<"$packages") packages besides zorvane, $(du -sh "$root" | cut -f1)"
# The port dialog shows once the window stands; without a platform plugin Qt gives up at once.
Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp >"$prefix/display" 2>/dev/null &
pids+=($!)
until [ -s "$prefix/display" ]; do sleep 0.1; done
display=:$(cat "$prefix/display")
# As root a chroot; otherwise a user namespace makes one.
enter=(/usr/sbin/chroot "$root")
[ "$(id -u)" -eq 0 ] || enter=(unshare --map-root-user /usr/sbin/chroot "$root")
"${enter[@]}" /usr/bin/env -i DISPLAY="$display" HOME=/tmp XDG_RUNTIME_DIR=/tmp/run \
  /bin/sh -c 'cd /tmp && exec /usr/bin/zorvane' >"$prefix/monitor.log" 2>&1 &
pids+=($!)
for _ in $(seq 200); do
  DISPLAY=$display xdotool search --name '^Choose port$' >/dev/null 2>&1 && break
  kill -0 "${pids[1]}" 2>/dev/null || break
  sleep 0.1
done
DISPLAY=$display xdotool search --name '^Choose port$' >/dev/null 2>&1 ||
  { echo "the monitor did not start:" >&2; cat "$prefix/monitor.log" >&2; exit 1; }
echo "zorvane shows \"Choose port\""
