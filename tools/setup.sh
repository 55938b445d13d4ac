#!/usr/bin/env bash
# Installs the Debian packages that building, testing, benchmarking and packaging ORMA need.
# Does nothing when every package is already there. Needs root only when something is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config clang-format git
  qt6-base-dev qt6-serialport-dev qt6-svg-dev qt6-qpa-plugins qt6-translations-l10n libgl-dev
  libxlsxwriter-dev zlib1g-dev libxcb1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xdg-utils poppler-utils
  xdotool xclip dbus at-spi2-core python3 python3-pyatspi python3-xlib python3-gi
  fonts-dejavu-core fonts-liberation
  dpkg-dev file desktop-file-utils shared-mime-info lintian systemd
  libmosquitto-dev mosquitto mosquitto-clients
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "These packages are missing: ${missing[*]}" >&2
  echo "Run this script as root to install them." >&2
  exit 1
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
