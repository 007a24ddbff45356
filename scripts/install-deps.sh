#!/usr/bin/env bash
# Installs the Debian packages the whole program needs, when any is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev libfluidsynth-dev fluid-soundfont-gm
  librtmidi-dev libasound2-dev libjpeg-dev
  desktop-file-utils appstream
  abcmidi midicsv
)

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
