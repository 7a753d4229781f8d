#!/usr/bin/env bash
# Installs what building, running and testing Velmora need on Debian 12, if missing.
# Safe to run again: it only installs what is not there yet.
set -euo pipefail

packages=(
  # native build, unit tests, sanitizers, fuzzing
  cmake ninja-build g++ clang libclang-rt-14-dev llvm-14 googletest libgtest-dev
  # the C++ layout check (tools/check_format.sh)
  clang-format
  mesa-common-dev libglu1-mesa-dev python3
  # giflib: referee of the GIF decoder and export in the unit tests and benchmarks (never shipped)
  libgif-dev
  # Windows cross builds: 64-bit for Wine, 32-bit to ship
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  # running the programs: 64-bit Wine on a virtual display with Mesa's software OpenGL
  wine wine64 xvfb xdotool x11-utils imagemagick libgl1-mesa-dri libglx-mesa0 libglu1-mesa
  # displays of several monitors: Xephyr screens joined by Xinerama, on a private Xvfb
  xserver-xephyr
  fonts-ipafont-gothic
  # Japanese file names under Wine: the tests compile the ja_JP locale (localedef)
  locales
  # background music under Wine: a private sound server with a null sink to record from,
  # Wine's MPEG playback (the GStreamer plugins), and making and measuring test sounds
  pulseaudio pulseaudio-utils gstreamer1.0-plugins-base gstreamer1.0-plugins-good sox lame
  # the shipped 32-bit pair under 32-bit Wine: its loader, and OpenGL through
  # Mesa's 32-bit software renderer, and its MPEG playback (GStreamer)
  wine32:i386 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
  gstreamer1.0-plugins-base:i386 gstreamer1.0-plugins-good:i386
  # the setup program of the shipped pair (makensis, in the win32 build)
  nsis
  # the commit's time, which the Windows builds stamp into the programs, and
  # the clones of tools/check_reproducible.sh
  git
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
# The :i386 packages need the architecture enabled before the index is read.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
