#!/usr/bin/env bash
# Song timing into a JACK MIDI port (bench/jackmidi_bench.cpp) through a private JACK
# server with the dummy driver (scripts/private-audio.sh), never the user's.
# Prints figures and asserts nothing; run by hand, never by ctest.
#
#   bench/jackmidi_bench.sh [--build DIR] [--seconds S] [--only wall|frame]
set -euo pipefail
build=build
if [[ ${1:-} == --build ]]; then
    build=$2
    shift 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
bench=$(realpath "$build")/bench/jackmidi_bench
[[ -x $bench ]] || { echo "$bench is missing: build the target jackmidi_bench" >&2; exit 1; }

source "$root/scripts/private-audio.sh"
private_audio_start "$(mktemp -d "${TMPDIR:-/tmp}/orv-jackmidi-bench.XXXXXX")"
trap private_audio_stop EXIT
[[ -n ${ORV_TEST_JACK_SERVER:-} ]] || { echo "no private JACK server: nothing measured" >&2; exit 1; }
"$bench" "$@"
