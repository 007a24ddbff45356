#!/usr/bin/env bash
# The MIDI input's latency (bench/midiin_bench.cpp) through a private JACK server (bench/private-jack-run.sh).
# Prints figures and asserts nothing; run by hand, never by ctest.
#
#   bench/midiin_bench.sh [--build DIR] [midiin_bench options]
set -euo pipefail
build=()
if [[ ${1:-} == --build ]]; then
    build=(--build "$2")
    shift 2
fi
exec "$(dirname "$0")/private-jack-run.sh" "${build[@]}" midiin_bench "$@"
