#!/usr/bin/env bash
# Song timing into a JACK MIDI port (bench/jackmidi_bench.cpp) through a private JACK server (bench/private-jack-run.sh).
# Prints figures and asserts nothing; run by hand, never by ctest.
#
#   bench/jackmidi_bench.sh [--build DIR] [--seconds S] [--only wall|frame]
set -euo pipefail
build=()
if [[ ${1:-} == --build ]]; then
    build=(--build "$2")
    shift 2
fi
exec "$(dirname "$0")/private-jack-run.sh" "${build[@]}" jackmidi_bench "$@"
