// The built-in synth's output latency through a real PulseAudio server, after
// stalls and a quiet stretch: the synth sounds a held note all along; the
// script around it (latency_return_bench.sh) stops this process for a moment
// a few times, which the server counts as underruns, and then leaves it alone.
// Prints, every few seconds, the latency and the underruns the synth reports,
// so that one sees the buffer grow with the stalls and step back down after a
// calm minute, never below where it started. Asserts nothing.
//
//   latency_return_bench [--seconds S]   (PULSE_SERVER names the server)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

#include "platform/errortext.h"
#include "platform/midiout.h"
#include "platform/registry.h"
#include "platform/shortmsg.h"
#include "platform/soundfont.h"

using namespace platform;

int main(int argc, char** argv)
{
    int seconds = 200;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: latency_return_bench [--seconds S]\n");
            return 2;
        }
    }
    OutputOptions options;
    options.sequencerDevice = "/nonexistent/snd/seq";
    options.jackMidi = false;
    options.soundFont = findSoundFont({}, systemSoundFonts());
    options.synthAudioDrivers = {"pulseaudio"};
    if (options.soundFont.empty()) {
        std::fprintf(stderr, "latency_return_bench: no General MIDI SoundFont installed\n");
        return 1;
    }
    selectDefaultMidiBackends(options);
    MidiOutHandle handle = MidiOutHandle::Null;
    if (const MmResult status = midiOutOpen(handle, MidiMapper); status != MmOk) {
        std::fprintf(stderr, "latency_return_bench: %s\n", midiOutGetErrorText(status).c_str());
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    std::optional<SynthOutputStatus> state;
    while ((state = midiOutSynthStatus(handle)) && state->soundFont == SynthOutputStatus::SoundFont::Loading)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!state || state->soundFont != SynthOutputStatus::SoundFont::Ready) {
        std::fprintf(stderr, "latency_return_bench: the SoundFont did not load\n");
        return 1;
    }
    // An organ holds its note for as long as it is held; it is struck again
    // now and then all the same, so that the stream never rests.
    midiOutShortMsg(handle, packShortMessage(0xC0, 19));
    std::printf("ready\n");
    std::fflush(stdout);
    std::int64_t first = -1, most = 0, last = 0;
    for (int tick = 0;; ++tick) {
        const double at = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (at >= seconds)
            break;
        if (tick % 20 == 0) {
            midiOutShortMsg(handle, packShortMessage(0x80, 60, 0));
            midiOutShortMsg(handle, packShortMessage(0x90, 60, 90));
        }
        state = midiOutSynthStatus(handle);
        if (state && tick % 10 == 0) {
            last = state->latencyMicros;
            // Once the stream has filled its buffer, before the stalls.
            if (first < 0 && at > 5)
                first = last;
            most = std::max(most, last);
            std::printf("%6.1f s  latency %6.1f ms  underruns %d\n", at, last / 1000.0, state->underruns);
            std::fflush(stdout);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    std::printf("latency at 5 s %.1f ms, largest %.1f ms, at the end %.1f ms\n", first / 1000.0, most / 1000.0,
                last / 1000.0);
    midiOutShortMsg(handle, packShortMessage(0x80, 60, 0));
    midiOutClose(handle);
    return 0;
}
