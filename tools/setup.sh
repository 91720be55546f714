#!/usr/bin/env bash
# Installs every Debian package that building, running and testing Quillmix need.
# Idempotent: when everything is present it installs nothing and says nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libgl-dev
  portaudio19-dev libasound2-dev
  libavformat-dev libavcodec-dev libswresample-dev libavutil-dev
  libsamplerate0-dev libfftw3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  ffmpeg sox libsox-fmt-mp3 xvfb xauth xdotool jackd2 clang libclang-rt-14-dev
  desktop-file-utils dpkg-dev
  imagemagick
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  # jackd2 asks about real-time priority during install; answer no.
  echo "jackd2 jackd/tweak_rt_limits boolean false" | $SUDO debconf-set-selections 2>/dev/null || true
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
