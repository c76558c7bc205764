#!/usr/bin/env bash
# Installs every Debian 12 package Tonalbox needs to build, test and run.
set -euo pipefail

packages=(
  # build
  build-essential cmake ninja-build pkg-config ccache
  libgtest-dev libgmock-dev
  clang libclang-rt-14-dev
  # libraries
  qt6-base-dev qt6-base-dev-tools libqt6svg6
  libfluidsynth-dev libglib2.0-dev libmp3lame-dev libmpg123-dev libsndfile1-dev libogg-dev libebur128-dev nlohmann-json3-dev
  # SoundFonts: the General MIDI set and a small one for tests
  fluid-soundfont-gm timgm6mb-soundfont
  # tools used by tests, benchmarks and window checks
  fluidsynth lame mpg123 sox time xvfb xauth xdg-utils fonts-dejavu-core imagemagick x11-utils
  flac opus-tools vorbis-tools
  # the help compiler (chmcmd)
  fp-utils
  # the CHM viewer the desktop opens help.chm with
  xchm
  # installing and packaging: manual pages, desktop files, the Debian package
  help2man man-db desktop-file-utils appstream dpkg-dev librsvg2-bin openbox
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
