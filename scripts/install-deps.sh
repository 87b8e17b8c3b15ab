#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing, fuzzing and
# benchmarking Kaldrino needs. Does nothing when they are all present.
set -euo pipefail

packages=(
  # toolchain and build
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev clang-format
  # libraries
  qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-translations-l10n
  libqt6svg6 qt6-qpa-plugins libgl-dev
  libjpeg62-turbo-dev
  # fonts: Liberation stands for Arial / MS Sans Serif / Tahoma metrics
  fonts-liberation fonts-dejavu-core fontconfig
  # tests and benchmarks
  googletest libgtest-dev libgmock-dev libbenchmark-dev libuemf-dev
  # whole-program runs under a virtual display
  xvfb xauth xdotool x11-utils imagemagick
  # whole-program runs on real desktops: an X11 window manager, a Wayland
  # compositor (headless, with weston-screenshooter) and Qt's Wayland platform
  openbox weston qt6-wayland
  # the pictures folder the desktop declares
  xdg-user-dirs
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: these packages are missing and need root: ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
