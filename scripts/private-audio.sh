# Private sound servers for the tests and benchmarks that play through real
# ones: a PulseAudio server with a null sink and a JACK server with the dummy
# driver, neither needing a sound card, both in a folder of their own and
# never the user's. Source this file, then:
#   private_audio_start <folder>   starts both and exports
#       ORV_TEST_PULSE_SERVER, PULSE_SERVER   the PulseAudio socket (unix:...)
#       ORV_TEST_PULSE_LOG                    its debug log (underruns)
#       ORV_TEST_JACK_SERVER, JACK_DEFAULT_SERVER   the JACK server's name
#       ORV_TEST_JACK_LOG                     its log (xruns)
#   private_audio_require          fails, saying which, unless both answer.
#   private_audio_stop             stops them by process id.
# A server that does not start is left out (its variables stay unset), so
# the tests that need it skip; a caller that asked for both servers (test.sh)
# fails instead with private_audio_require.

private_audio_pids=()
private_audio_missing=()

private_audio_wait()  # <tries> <command...>: true once the command succeeds
{
    local tries=$1
    shift
    for ((i = 0; i < tries; i++)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.2
    done
    return 1
}

private_audio_start()
{
    local dir
    dir=$(realpath -m "$1")
    rm -rf "$dir"
    mkdir -p "$dir/pulse-home" "$dir/pulse-run"
    private_audio_missing=()
    local socket="$dir/pulse-run/native"

    if command -v pulseaudio >/dev/null && command -v pactl >/dev/null; then
        cat >"$dir/private.pa" <<PA
load-module module-null-sink sink_name=orvsink rate=48000
set-default-sink orvsink
load-module module-native-protocol-unix socket=$socket auth-anonymous=1
PA
        HOME="$dir/pulse-home" PULSE_RUNTIME_PATH="$dir/pulse-run" XDG_RUNTIME_DIR="$dir/pulse-run" \
            pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no --disallow-exit \
            -F "$dir/private.pa" --log-target="file:$dir/pulse.log" --log-level=debug --log-time=1 \
            >"$dir/pulse.out" 2>&1 &
        private_audio_pids+=($!)
        if private_audio_wait 50 env PULSE_SERVER="unix:$socket" pactl info; then
            export ORV_TEST_PULSE_SERVER="unix:$socket" PULSE_SERVER="unix:$socket"
            export ORV_TEST_PULSE_LOG="$dir/pulse.log"
        else
            private_audio_missing+=("the private PulseAudio server did not start (see $dir/pulse.out)")
        fi
    else
        private_audio_missing+=("no private PulseAudio server: pulseaudio or pactl (pulseaudio-utils) is not installed")
    fi

    if command -v jackd >/dev/null && command -v jack_lsp >/dev/null; then
        local name="orv-test-$$"
        JACK_NO_AUDIO_RESERVATION=1 jackd -n "$name" -d dummy -r 48000 -p 256 >"$dir/jack.log" 2>&1 &
        private_audio_pids+=($!)
        if private_audio_wait 50 env JACK_DEFAULT_SERVER="$name" JACK_NO_START_SERVER=1 jack_lsp; then
            export ORV_TEST_JACK_SERVER="$name" JACK_DEFAULT_SERVER="$name"
            export ORV_TEST_JACK_LOG="$dir/jack.log"
        else
            private_audio_missing+=("the private JACK server did not start (see $dir/jack.log)")
        fi
    else
        private_audio_missing+=("no private JACK server: jackd (jackd2) or jack_lsp (jack-example-tools on Debian 13) is not installed")
    fi
    local missing
    for missing in "${private_audio_missing[@]}"; do
        echo "$missing" >&2
    done
}

private_audio_require()
{
    [[ ${#private_audio_missing[@]} -eq 0 ]] && return 0
    echo "The tests that play through real sound servers were asked for and cannot run (see above)." >&2
    return 1
}

private_audio_stop()
{
    local pid
    for pid in "${private_audio_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${private_audio_pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    private_audio_pids=()
    unset ORV_TEST_PULSE_SERVER PULSE_SERVER ORV_TEST_PULSE_LOG ORV_TEST_JACK_SERVER JACK_DEFAULT_SERVER ORV_TEST_JACK_LOG
}
