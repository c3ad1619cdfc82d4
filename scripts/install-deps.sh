#!/usr/bin/env bash
# Installs every Debian package Plumora needs to build, run and test.
# Safe to run again: packages already present are left alone.
#
#   scripts/install-deps.sh [--bench]
#
# --bench adds what the benchmarks in bench/ need beyond that: a private
# sound server and ALSA's plugin for it, for the capture device that
# delivers audio in real time (bench/paced_capture.sh).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  qt6-base-dev qt6-base-dev-tools libqt6svg6-dev
  libasound2-dev alsa-utils
  libogg-dev libvorbis-dev
  libid3-3.8.3-dev zlib1g-dev
  libavcodec-dev libavutil-dev libswresample-dev
  libhidapi-dev libusb-1.0-0-dev
  libsoapysdr-dev libliquid-dev
  googletest libgtest-dev libgmock-dev
  sox ffmpeg vorbis-tools python3-mutagen lame
  clang libclang-rt-14-dev
  xvfb xdotool libxcb1-dev
  dbus-daemon playerctl desktop-file-utils appstream file dpkg-dev
  locales
)

bench_packages=(pulseaudio pulseaudio-utils libasound2-plugins)
case "${1:-}" in
  --bench) packages+=("${bench_packages[@]}") ;;
  "") ;;
  *)
    echo "usage: $0 [--bench]" >&2
    exit 2
    ;;
esac

# The tests also run the dialogs and pages under a locale with a decimal
# comma and one with its own digits.
test_locales=(de_DE.UTF-8 fa_IR.UTF-8)

sudo=()
if [ "$(id -u)" -ne 0 ]; then
  sudo=(sudo)
fi

generate_locales() {
  local l
  for l in "${test_locales[@]}"; do
    if ! locale -a 2>/dev/null | grep -qix "${l%%.*}.utf8"; then
      echo "Generating locale $l"
      "${sudo[@]}" localedef -i "${l%%.*}" -f UTF-8 "$l"
    fi
  done
}

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "All build and test packages are installed."
  generate_locales
  exit 0
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
generate_locales
