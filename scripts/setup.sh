#!/usr/bin/env bash
# Installs every Debian 12 package that building, testing and running hanlabel need. Idempotent.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkgconf
    qt6-base-dev qt6-serialport-dev libgl-dev
    mdbtools mdbtools-dev
    qt6-translations-l10n
    fonts-nanum fontconfig fonts-urw-base35
    libzint-dev zint zbar-tools
    libcups2-dev cups cups-client cups-bsd
    libquazip1-qt6-dev
    xvfb xauth xfonts-base xdotool x11-utils imagemagick
    dpkg-dev file desktop-file-utils appstream
    scdoc lintian man-db bash-completion
    locales
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# The Korean locale, for the tests that check the program's own Korean reasons against the C
# library's Korean texts.
if ! locale -a 2>/dev/null | grep -qi '^ko_KR\.utf-\?8$'; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO sed -i 's/^# *\(ko_KR\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ko_KR\.UTF-8 UTF-8' /etc/locale.gen || echo 'ko_KR.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
fi
