#!/usr/bin/env bash
# Installs what Quorvane needs to build and test on Debian 12.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  qt6-base-dev fonts-dejavu-core xvfb
  openbox xdotool x11-utils  # the window driven on Xvfb by the end-to-end test
  clang libclang-rt-14-dev clang-tidy-14 clang-format-14  # the fuzz build; the style checks
  python3-mido midicsv
  lintian  # checks the Debian package
  libfluidsynth-dev libsndfile1-dev timgm6mb-soundfont sox  # audio previews; sox reads them back in the tests
  g++-mingw-w64-x86-64-posix googletest wine64  # the Windows cross build (GoogleTest from source), its tests
  imagemagick  # the Windows window's picture compared with the Qt window's
  nsis  # the Windows installer
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
