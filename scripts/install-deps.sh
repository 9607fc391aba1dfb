#!/usr/bin/env bash
# Installs the Debian packages that building and running need, with --tests also those that testing needs;
# a quick no-op when all are there.
#   scripts/install-deps.sh [--tests] [more packages...]
set -euo pipefail
packages=(cmake g++ ninja-build pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev qt6-qpa-plugins libmount-dev
          libarchive-dev libblkid-dev libxxhash-dev libudev-dev
          ccache fonts-dejavu-core)
if [ "${1:-}" = "--tests" ]; then
  shift
  # GoogleTest; clang for the fuzzing build; mingw-w64 for the compile check of the Windows-only sources.
  packages+=(googletest libgtest-dev clang libclang-rt-14-dev g++-mingw-w64-x86-64)
  # GNU time for the whole-process benchmarks in bench/.
  packages+=(time)
  # bsdtar, the reference the disc image benchmark measures against.
  packages+=(libarchive-tools)
  # Qt's window-system interface, through which the window tests send what a window manager sends.
  packages+=(qt6-base-private-dev)
  # A private message bus on which a stand-in for the desktop's disk service answers the eject test.
  packages+=(dbus-daemon)
fi
packages+=("$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
