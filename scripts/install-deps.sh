#!/bin/sh
# Installs the Debian packages Camlog needs to build, test and run (idempotent).
set -eu
PACKAGES="
  g++ cmake ninja-build ccache pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-multimedia-dev libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libswresample-dev libavfilter-dev
  libxlsxwriter-dev libzip-dev fonts-dejavu-core
  ffmpeg dvgrab mediainfo libimage-exiftool-perl
  xvfb xauth xdotool xclip desktop-file-utils imagemagick tesseract-ocr tesseract-ocr-eng
  libreoffice-calc-nogui libreoffice-writer-nogui poppler-utils unzip libxml2-utils
  clang-format clang libclang-rt-dev
  adwaita-icon-theme libqt6svg6 x11-xkb-utils
"
missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -q
    # shellcheck disable=SC2086
    $SUDO apt-get install -y -q --no-install-recommends $missing
fi
