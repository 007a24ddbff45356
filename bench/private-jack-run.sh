#!/usr/bin/env bash
# Runs one of the JACK benchmarks against a private JACK server with the dummy
# driver (scripts/private-audio.sh), never the user's, and stops the server by
# its process id afterwards. Prints the benchmark's figures; asserts nothing.
#
#   bench/private-jack-run.sh [--build DIR] BENCHMARK [its options]
set -euo pipefail
build=build
if [[ ${1:-} == --build ]]; then
    build=$2
    shift 2
fi
name=${1:?which benchmark}
shift
root=$(cd "$(dirname "$0")/.." && pwd)
bench=$(realpath "$build")/bench/$name
[[ -x $bench ]] || { echo "$bench is missing: build the target $name" >&2; exit 1; }

source "$root/scripts/private-audio.sh"
private_audio_start "$(mktemp -d "${TMPDIR:-/tmp}/orv-$name.XXXXXX")"
trap private_audio_stop EXIT
[[ -n ${ORV_TEST_JACK_SERVER:-} ]] || { echo "no private JACK server: nothing measured" >&2; exit 1; }
"$bench" "$@"
