#!/usr/bin/env bash
# Installs the Debian packages Darezez needs to build, run and test; installs nothing
# when everything is already there.
set -euo pipefail

# Debian's CMake files for Qt's HTTP server require the WebSockets ones.
packages=(
  cmake ninja-build g++
  qt6-base-dev qt6-svg-dev qt6-httpserver-dev qt6-websockets-dev libpulse-dev libsndfile1-dev zlib1g-dev pkg-config qt6-qpa-plugins libqt6svg6 libgl-dev
  fonts-liberation
)
if [[ "${1:-}" == "--test" ]]; then
  packages+=(clang-format xvfb openbox xdotool x11-utils imagemagick sox pulseaudio pulseaudio-utils
             desktop-file-utils appstream dpkg-dev file libfaketime curl poppler-utils
             chromium python3-websocket
             xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils)
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  # sudo starts apt-get with a clean environment: the variable goes after it.
  if [[ $(id -u) -eq 0 ]]; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  else
    sudo apt-get update -qq
    sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
fi
