#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# Safe to run again: when everything is present it returns without touching apt.
set -euo pipefail

PACKAGES=(
  cmake g++ pkg-config ninja-build ccache
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev qt6-serialport-dev qt6-svg-dev libqt6opengl6-dev libqt6svg6
  libgl-dev libvulkan-dev
  libudev-dev libexpat1-dev libsqlite3-dev sqlite3
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  python3 python3-fonttools
  xvfb xauth x11-utils xdotool imagemagick poppler-utils
  fonts-dejavu-core fonts-liberation
  fp-utils xdg-utils
  qemu-system-x86 busybox-static udev e2fsprogs
  # the manual pages, the Debian package and the validators of what it installs
  help2man dpkg-dev file desktop-file-utils appstream lintian python3-debian
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
