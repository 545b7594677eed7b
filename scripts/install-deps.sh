#!/usr/bin/env bash
# Installs the Debian packages Zorvane needs.
#   scripts/install-deps.sh          everything: building, the tests, fuzzers and package checks
#   scripts/install-deps.sh --quick  what building and running the tests once needs (./test.sh
#                                    --quick): no fuzzers, sanitizers' clang or package tools
#   scripts/install-deps.sh --demo   only what building the programs and running ./demo.sh need
# As root it installs what is missing; otherwise it prints the one command to run.
set -euo pipefail
mode=${1:-}
case $mode in "" | --quick | --demo) ;; *) echo "usage: $0 [--quick | --demo]" >&2; exit 2 ;; esac

# Building and running: libqt6svg6 draws the SVG window icon, fonts-liberation is the window's
# font, qt6-translations-l10n gives the toolkit's own buttons the user's language; Xvfb,
# xdotool and ImageMagick run the demo without a display and take its screenshot;
# libmosquitto-dev is zorvane-decode's MQTT client, libssl-dev tells why TLS failed.
packages=(
  build-essential cmake ninja-build pkg-config libmosquitto-dev libssl-dev
  qt6-base-dev libgl-dev libqt6svg6 fonts-liberation qt6-translations-l10n
  xvfb xauth xdotool x11-utils imagemagick
)
# The tests read zorvane-decode's waveform dumps with the viewers' own tools (sigrok-cli, and
# GTKWave's vcd2fst and fst2vcd); its --mqtt with a broker of their own (mosquitto, its clients,
# openssl for a throw-away certificate); and the window through accessibility: Qt's private
# headers switch it on in process, and the end-to-end test reads the real program over AT-SPI on
# a bus of its own.
if [ "$mode" != --demo ]; then
  packages+=(
    libx11-dev libgtest-dev libgmock-dev socat sigrok-cli gtkwave
    qt6-base-private-dev dbus-daemon at-spi2-core python3-pyatspi
    mosquitto mosquitto-clients openssl
  )
fi
# The fuzzers want clang; the package check the packaging tools, man-db to render the manual
# pages, and systemd to verify the unit.
if [ -z "$mode" ]; then
  packages+=(
    clang libclang-rt-14-dev
    dpkg-dev file lintian desktop-file-utils appstream man-db systemd
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages. Run this once, then try again:" >&2
  echo "  sudo apt-get update && sudo apt-get install -y ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
