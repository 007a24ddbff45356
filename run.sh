#!/usr/bin/env bash
# Installs what is missing, builds, and starts Orvelline.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
exec ./build/app/orvelline
