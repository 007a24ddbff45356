#!/usr/bin/env bash
# The built-in synth's latency after stalls and a quiet stretch
# (bench/latency_return_bench.cpp), through a private PulseAudio server with a
# null sink (scripts/private-audio.sh), never the user's. After 10 s the
# benchmark is stopped for STALL ms four times, 3 s apart, as a loaded machine
# stops a player; then it is left alone for the rest of the run, long enough
# for two calm minutes. Prints figures and asserts nothing.
#
#   bench/latency_return_bench.sh [--build DIR] [--seconds S] [--stall MS]
set -euo pipefail
build=build
seconds=200
stall=300
while [[ $# -gt 0 ]]; do
    case $1 in
        --build) build=$2; shift 2 ;;
        --seconds) seconds=$2; shift 2 ;;
        --stall) stall=$2; shift 2 ;;
        *) echo "usage: bench/latency_return_bench.sh [--build DIR] [--seconds S] [--stall MS]" >&2; exit 2 ;;
    esac
done
root=$(cd "$(dirname "$0")/.." && pwd)
bench=$(realpath "$build")/bench/latency_return_bench
[[ -x $bench ]] || { echo "$bench is missing: build the target latency_return_bench" >&2; exit 1; }

source "$root/scripts/private-audio.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/orv-latency-return.XXXXXX")
private_audio_start "$work"
bench_pid=
stop_all() {
    [[ -n $bench_pid ]] && kill -CONT "$bench_pid" 2>/dev/null && kill "$bench_pid" 2>/dev/null
    private_audio_stop
}
trap stop_all EXIT
[[ -n ${ORV_TEST_PULSE_SERVER:-} ]] || { echo "no private PulseAudio server: nothing measured" >&2; exit 1; }

"$bench" --seconds "$seconds" >"$work/figures" 2>&1 &
bench_pid=$!
for _ in $(seq 300); do
    grep -q '^ready' "$work/figures" 2>/dev/null && break
    sleep 0.1
done
tail -f --pid="$bench_pid" "$work/figures" &
sleep 10
pause=$(awk -v ms="$stall" 'BEGIN { printf "%.3f", ms / 1000 }')
for n in 1 2 3 4; do
    echo "   -- stalled for $stall ms ($n of 4)"
    kill -STOP "$bench_pid"
    sleep "$pause"
    kill -CONT "$bench_pid"
    sleep 3
done
echo "   -- left alone from here"
wait "$bench_pid"
bench_pid=
sleep 0.2
