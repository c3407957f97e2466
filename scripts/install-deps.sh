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
  locales util-linux python3
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

# The locales the date formatting tests compare with strftime (a machine with only C skips them).
wanted_locales="en_US.UTF-8 de_DE.UTF-8 fr_FR.UTF-8"
missing_locales=""
for l in $wanted_locales; do
    locale -a 2>/dev/null | grep -qix "$(echo "$l" | sed 's/UTF-8/utf8/')" || missing_locales="$missing_locales $l"
done
if [ -n "$missing_locales" ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO=sudo
    for l in $missing_locales; do
        $SUDO sed -i "s/^# *\($l UTF-8\)/\1/" /etc/locale.gen
        grep -q "^$l UTF-8" /etc/locale.gen || echo "$l UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    done
    $SUDO locale-gen
fi
