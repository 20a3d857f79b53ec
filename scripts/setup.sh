#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs. Safe to run again: it only installs what is
# missing and says nothing when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev python3
  qt6-base-dev qt6-svg-dev qt6-base-dev-tools
  libjsoncpp-dev libcurl4-openssl-dev
  libx11-dev libxi-dev libxtst-dev
  libpulse-dev libkissfft-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libsystemd-dev
  xvfb xauth xdotool dbus dbus-x11 imagemagick openssl
  fonts-noto-core fonts-noto-cjk
  dpkg-dev
  lintian
  desktop-file-utils
  appstream
  udev umockdev
  libevdev-dev
  pulseaudio pulseaudio-utils
  swh-plugins
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
