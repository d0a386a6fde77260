#!/usr/bin/env bash
# Installs the Debian packages the client, its tests, tools and benchmarks need.
# Does nothing when they are already there.
set -euo pipefail
packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libturbojpeg0-dev libjpeg62-turbo-dev libasound2-dev
  ffmpeg libavcodec-dev libavutil-dev libswscale-dev libyuv-dev
  xvfb xauth xdotool
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends "${missing[@]}"
fi
