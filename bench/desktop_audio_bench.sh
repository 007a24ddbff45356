#!/usr/bin/env bash
# Desktop audio, measured through real sound servers: a click track with
# tempo changes (bench/clicktrack.h) played by "orvelline-midi play" on the
# built-in synth and, as the peer, by FluidSynth's own command-line player,
# through a private PulseAudio server with a null sink and through a private
# JACK server with the dummy driver (scripts/private-audio.sh). For each it
# prints the underruns the server logged, the output latency the server
# reports, and the clicks' onset errors against the tempo map (p50, p99, max)
# and end drift, measured in a recording of what reached the sink; through
# JACK also how many xruns the server logs alone, with no client. With a
# built window (build/app/orvelline), Xvfb and xdotool it also measures how
# soon the window shows and its idle cost. The whole runs once idle and once with one busy process per core.
# It prints figures and asserts nothing; it is run by hand, never by ctest.
#
# The peer may play a shorter track (--peer-seconds), so that a long run of
# ours still measures the peer in the same run without doubling its length.
#
#   bench/desktop_audio_bench.sh [--seconds S] [--peer-seconds S] [--build DIR] [--load idle|busy|both]
set -euo pipefail

seconds=60
peer_seconds=
build=build
load=both
while [[ $# -gt 0 ]]; do
    case $1 in
        --seconds) seconds=$2; shift 2 ;;
        --peer-seconds) peer_seconds=$2; shift 2 ;;
        --build) build=$2; shift 2 ;;
        --load) load=$2; shift 2 ;;
        *) echo "usage: $0 [--seconds S] [--peer-seconds S] [--build DIR] [--load idle|busy|both]" >&2; exit 2 ;;
    esac
done

root=$(cd "$(dirname "$0")/.." && pwd)
peer_seconds=${peer_seconds:-$seconds}
# The peer player, and the virtual display and the window finder for the window's figures.
"$root/scripts/install-deps.sh" fluidsynth xvfb xdotool
build=$(realpath "$build")
player="$build/tools/orvelline-midi"
clicks="$build/bench/desktop_audio_clicks"
window="$build/app/orvelline"
font=/usr/share/sounds/sf2/default-GM.sf2
for tool in "$player" "$clicks"; do
    [[ -x $tool ]] || { echo "$tool is missing: build the targets orvelline-midi and desktop_audio_clicks" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/orv-desktop-audio.XXXXXX")
source "$root/scripts/private-audio.sh"
busy_pids=()
stop_busy()
{
    local pid
    for pid in "${busy_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${busy_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    busy_pids=()
}
cleanup()
{
    stop_busy
    private_audio_stop
    rm -rf "$work"
}
trap cleanup EXIT

private_audio_start "$work/servers"
[[ -n ${ORV_TEST_PULSE_SERVER:-} ]] || { echo "The private PulseAudio server did not start." >&2; exit 1; }
pulse_server=$ORV_TEST_PULSE_SERVER
jack_server=${ORV_TEST_JACK_SERVER:-}
"$clicks" write "$work/click.mid" "$seconds"
"$clicks" write "$work/peer-click.mid" "$peer_seconds"
echo "machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg) at the start"

# Every stream begins in an underrun that its first data ends; the server logs
# that end ("Requesting rewind due to end of underrun") once or twice per
# stream without any gap in the sound, so only the underruns themselves count.
underruns_logged() { grep -i "underrun" "$ORV_TEST_PULSE_LOG" | grep -vc "end of underrun" || true; }
xruns_logged() { grep -ci "xrun" "${ORV_TEST_JACK_LOG:-/dev/null}" || true; }
# The xruns the server lays on one client: it had not finished its period when
# the next began. The others are the server's own (its timer woke late).
client_xruns_logged() { grep -c "client = $1 was not finished" "${ORV_TEST_JACK_LOG:-/dev/null}" || true; }

# Samples what the server reports for its playback streams (buffer plus sink
# latency) once a second while a player runs, into $1.
sample_latency()
{
    while sleep 1; do
        PULSE_SERVER=$pulse_server pactl list sink-inputs 2>/dev/null | awk '
            /Buffer Latency:/ { buffer = $3 }
            /Sink Latency:/ { print (buffer + $3) / 1000 }' >>"$1"
    done
}

latency_summary()
{
    sort -n "$1" | awk '{ v[NR] = $1 } END {
        if (NR == 0) { print "no report"; exit }
        printf "median %.1f ms, max %.1f ms (%d samples)", v[int((NR + 1) / 2)], v[NR], NR }'
}

# CPU time of this script's waited-for children, in clock ticks.
children_cpu() { awk '{ print $16 + $17 }' "/proc/$$/stat"; }

# play_pulse LABEL COMMAND...: records the sink's monitor while COMMAND plays.
play_pulse()
{
    local label=$1 name
    shift
    name=$(echo "$label" | tr -c 'a-zA-Z0-9\n' '-')
    local recording="$work/$name.wav" latencies="$work/$name.latency"
    : >"$latencies"
    local before
    before=$(underruns_logged)
    PULSE_SERVER=$pulse_server parecord --device=orvsink.monitor --rate=48000 --channels=2 --format=s16le \
        --file-format=wav "$recording" &
    local recorder=$!
    sleep 0.5
    sample_latency "$latencies" &
    local sampler=$!
    local cpu_before started cpu_used elapsed
    cpu_before=$(children_cpu)
    started=$(date +%s%N)
    PULSE_SERVER=$pulse_server "$@" >"$work/$name.out" 2>&1 || echo "$label: the player failed (see below)"
    cpu_used=$(($(children_cpu) - cpu_before))
    elapsed=$(($(date +%s%N) - started))
    kill "$sampler"
    wait "$sampler" 2>/dev/null || true
    sleep 0.5
    kill -INT "$recorder"
    wait "$recorder" 2>/dev/null || true
    echo "$label"
    echo "  underruns in the server's log: $(($(underruns_logged) - before))"
    echo "  output latency (server's report, buffer + sink): $(latency_summary "$latencies")"
    awk -v t="$cpu_used" -v hz="$(getconf CLK_TCK)" -v ns="$elapsed" \
        'BEGIN { printf "  CPU of the player: %.1f %% of a core over its %.0f s\n", 100 * t / hz / (ns / 1e9), ns / 1e9 }'
    "$clicks" measure "$track" "$recording" "onsets in the sink's recording" | sed 's/^/  /'
    grep -iv "^\s*$\|[0-9]:[0-9][0-9]:[0-9]" "$work/$name.out" | head -n 5 | sed 's/^/  said: /' || true
}

# play_jack LABEL PORT_PREFIX COMMAND...: records the client's own ports while COMMAND plays.
play_jack()
{
    local label=$1 prefix=$2 name
    shift 2
    name=$(echo "$label" | tr -c 'a-zA-Z0-9\n' '-')
    local recording="$work/$name.wav"
    local before before_client
    before=$(xruns_logged)
    before_client=$(client_xruns_logged "$prefix")
    # No PulseAudio server and no sound card: the built-in synth falls back to JACK.
    PULSE_SERVER=unix:/nonexistent JACK_DEFAULT_SERVER=$jack_server "$@" >"$work/$name.out" 2>&1 &
    local running=$!
    local tries=0
    until JACK_DEFAULT_SERVER=$jack_server jack_lsp "$prefix:left" 2>/dev/null | grep -q .; do
        sleep 0.05
        if ((++tries > 200)); then
            echo "$label: no $prefix ports appeared"
            kill "$running" 2>/dev/null || true
            wait "$running" 2>/dev/null || true
            return
        fi
    done
    # jack_rec completes its file only when it stops by itself, after the
    # duration: the song, the SoundFont's loading and the player's release.
    JACK_DEFAULT_SERVER=$jack_server jack_rec -f "$recording" -b 16 -d $((${track_seconds%.*} + 4)) \
        "$prefix:left" "$prefix:right" >/dev/null 2>&1 &
    local recorder=$!
    local connected
    connected=$(JACK_DEFAULT_SERVER=$jack_server jack_lsp -c "$prefix:left" | grep -c "system:playback" || true)
    wait "$running" 2>/dev/null || echo "$label: the player failed"
    wait "$recorder" 2>/dev/null || true
    echo "$label"
    echo "  xruns in the server's log: $(($(xruns_logged) - before)), of them \"client = $prefix was not finished\": $(($(client_xruns_logged "$prefix") - before_client))"
    echo "  output connected to the system's playback ports: $([[ $connected -gt 0 ]] && echo yes || echo no)"
    echo "  output latency: the server's period of 256 frames, 5.3 ms"
    "$clicks" measure "$track" "$recording" "onsets in the client's own output" | sed 's/^/  /'
}

# The window on a private virtual display: how long after its start it shows
# (three starts), then its idle cost, CPU time over 10 s from 5 s after the
# last start, with the built-in synth on the private PulseAudio server.
window_figures()
{
    [[ -x $window ]] && command -v Xvfb >/dev/null && command -v xdotool >/dev/null ||
        { echo "window: no built window, Xvfb or xdotool; skipped"; return; }
    local home="$work/window-home" displayed="$work/display"
    mkdir -p "$home"
    : >"$displayed"
    # -noreset: by default the server starts over when its last client leaves,
    # and the next start, arriving meanwhile, cannot connect.
    Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 3>"$displayed" >/dev/null 2>&1 &
    local xvfb=$!
    local tries=0
    until [[ -s $displayed ]]; do
        sleep 0.05
        if ((++tries > 200)); then
            echo "window: Xvfb did not start"
            kill "$xvfb" 2>/dev/null || true
            return
        fi
    done
    local display=":$(head -n 1 "$displayed")"
    local run pid started shown
    for run in 1 2 3; do
        started=$(date +%s%N)
        HOME=$home DISPLAY=$display PULSE_SERVER=$pulse_server "$window" >/dev/null 2>&1 &
        pid=$!
        tries=0
        until DISPLAY=$display xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do
            sleep 0.01
            ((++tries < 1000)) || break
        done
        shown=$(date +%s%N)
        echo "window start $run: shown $(awk -v ns=$((shown - started)) 'BEGIN { printf "%.2f", ns / 1e9 }') s after it started"
        [[ $run -lt 3 ]] || break
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    sleep 5
    local tick before after rss
    tick=$(getconf CLK_TCK)
    before=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
    sleep 10
    after=$(awk '{ print $14 + $15 }' "/proc/$pid/stat")
    rss=$(awk '/VmRSS/ { print $2 / 1024 }' "/proc/$pid/status")
    awk -v t="$((after - before))" -v hz="$tick" -v rss="$rss" \
        'BEGIN { printf "window idle: %.1f %% of a core over 10 s, %.0f MB resident\n", 100 * t / hz / 10, rss }'
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
}

# The track the next player plays, and its length.
ours() { track=$work/click.mid track_seconds=$seconds; }
peer() { track=$work/peer-click.mid track_seconds=$peer_seconds; }

run_all()
{
    ours
    play_pulse "PulseAudio, Orvelline (orvelline-midi play, $seconds s):" "$player" play "$track"
    peer
    play_pulse "PulseAudio, peer (fluidsynth -ni, $peer_seconds s):" fluidsynth -ni -q -a pulseaudio -r 48000 "$font" "$track"
    if [[ -n $jack_server ]]; then
        ours
        play_jack "JACK, Orvelline (orvelline-midi play, $seconds s):" Orvelline "$player" play "$track"
        peer
        play_jack "JACK, peer (fluidsynth -ni, $peer_seconds s):" fluidsynth fluidsynth -ni -q -a jack -r 48000 "$font" "$track"
        # What the server logs with no client at all, for the figures above.
        local before
        before=$(xruns_logged)
        sleep "$peer_seconds"
        echo "JACK, the server alone ($peer_seconds s, no client):"
        echo "  xruns in the server's log: $(($(xruns_logged) - before))"
    else
        echo "JACK: the private server did not start; skipped"
    fi
    window_figures
}

if [[ $load == idle || $load == both ]]; then
    echo
    echo "== idle machine (besides whatever else runs on it)"
    run_all
fi
if [[ $load == busy || $load == both ]]; then
    echo
    echo "== one busy process per core"
    for ((i = 0; i < $(nproc); i++)); do
        (while :; do :; done) &
        busy_pids+=($!)
    done
    run_all
    stop_busy
fi
echo
echo "targets: 0 underruns, p99 <= 2 ms, end drift <= 2 ms, latency <= 20 ms; window shown <= 1.0 s, idle <= 2 % of a core"
