#!/usr/bin/env bash
# Installs every Debian package Korvid needs to build, test and run.
# Safe to run again: apt is skipped when everything is already present.
# "setup.sh fuzz" adds clang and its libFuzzer for scripts/fuzz.sh.
set -euo pipefail

packages=(
  build-essential cmake pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-multimedia-dev qt6-svg-dev libgl-dev
  libavcodec-dev libavfilter-dev libavformat-dev libavutil-dev libswscale-dev libswresample-dev
  ffmpeg mediainfo dvgrab desktop-file-utils
  xvfb xauth ccache imagemagick pulseaudio xdotool
  fonts-liberation2 fontconfig tzdata python3
)
if [ "${1:-}" = "fuzz" ]; then packages+=(clang libclang-rt-14-dev); fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
