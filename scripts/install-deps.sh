#!/usr/bin/env bash
# Installs the Debian packages the whole program needs, when any is missing,
# and the packages named as arguments (tools only some scripts use).
set -euo pipefail

packages=(
  # the build
  cmake ninja-build g++ qt6-base-dev libfluidsynth-dev librtmidi-dev libasound2-dev libjpeg-dev libpulse-dev
  libjack-jackd2-dev libflac-dev
  # what the program loads at run time: the General MIDI SoundFont, and the
  # smallest font that shows the Japanese half of the hints and messages
  fluid-soundfont-gm fonts-sawarabi-gothic
  # the tests: the format check, sanitizer and fuzz builds, the test
  # libraries, the private sound servers the real-server tests play through,
  # the install check's validators, and real MIDI writers for the round-trip
  # tests (midicsv is also the file benchmark's peer reader)
  clang-format clang libclang-rt-dev libgtest-dev libgmock-dev libbenchmark-dev
  pulseaudio pulseaudio-utils jackd2
  desktop-file-utils appstream
  abcmidi midicsv
  "$@"
)
# jack_lsp, which the real-server tests and the private JACK server's start
# need, is jackd2's own up to Debian 12 and a package of its own from Debian 13
# on, only recommended by jackd2 there.
if [[ -n $(apt-cache --quiet=2 show jack-example-tools 2>/dev/null | head -n 1) ]]; then
  packages+=(jack-example-tools)
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "Run as root or install sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
