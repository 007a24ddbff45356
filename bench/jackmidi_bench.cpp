// How close a song sent to a JACK MIDI port keeps to its tempo map. A click
// track (a note on every beat, the tempo changing every two bars) is played
// by the real song player and gateway into the input port of a recording
// client, which notes the frame of each event (the cycle's first frame plus
// the event's offset). Each click's onset, relative to the first, is compared
// with its exact time from the tempo map relative to the first. Two ways, side
// by side: the wall-clock path (each event leaves when the player wakes, as
// to any external port before) and the frame-placed one. Prints, for each,
// the clicks that arrived, p50, p99 and maximum of |error|, the error of the
// last click (the drift by the end) and the server's xruns meanwhile; asserts
// nothing. Run through jackmidi_bench.sh, which starts a private server.
//
//   jackmidi_bench [--seconds S] [--only wall|frame]   (length of the click track, default 60)
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "benchsupport.h"
#include "clicktrack.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "midiout/midigateway.h"
#include "midiout/playsong.h"
#include "platform/registry.h"
#include "tests/platform/jackrecorder.h"

namespace {

void playThrough(bool scheduled, midiSong& song, const std::vector<double>& exact)
{
    const char* name = scheduled ? "frame-placed" : "wall clock  ";
    JackRecorder recorder;
    if (!recorder.start("orv-bench-recorder")) {
        std::printf("%s: no JACK server answers\n", name);
        return;
    }
    platform::OutputOptions options;
    options.scheduleSongs = scheduled;
    platform::selectMidiBackends({"jack"}, options);
    MidiGateway gateway;
    const std::vector<std::string> lines = gateway.DeviceLines();
    const auto line = std::find(lines.begin() + 1, lines.end(), recorder.portName() + " JACK MIDI");
    if (line == lines.end() || gateway.OpenDevice(int(line - lines.begin()) - 1) != 0) {
        std::printf("%s: the recorder's port is not listed or did not open\n", name);
        return;
    }
    const std::uint64_t xruns = recorder.xruns();
    midiTrack track(&song, 0, "");
    playSong(gateway, song, track);
    while (gateway.IsPlaying())
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // The song ends on the system's clock; a server whose frames fell behind
    // it (xruns of the dummy driver on a busy machine) has its last clicks to come.
    std::vector<std::int64_t> onsets;
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (onsets.size() < exact.size() && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        onsets.clear();
        for (const JackRecorder::Arrival& a : recorder.waitFor(0, std::chrono::milliseconds(0))) {
            if (a.bytes.size() == 3 && (a.bytes[0] & 0xF0) == 0x90 && a.bytes[2] != 0)
                onsets.push_back(a.frame);
        }
    }
    const std::uint64_t xrunsDuring = recorder.xruns() - xruns;
    gateway.CloseDevice();
    std::printf("%s: %zu of %zu clicks arrived", name, onsets.size(), exact.size());
    if (onsets.size() != exact.size() || onsets.empty()) {
        std::printf(" (not measured), %llu xruns\n", static_cast<unsigned long long>(xrunsDuring));
        return;
    }
    std::vector<double> errors;
    double last = 0;
    for (std::size_t i = 0; i < onsets.size(); ++i) {
        const double micros = double(onsets[i] - onsets[0]) * 1e6 / recorder.rate();
        last = micros - (exact[i] - exact[0]);
        errors.push_back(std::fabs(last));
    }
    std::printf("; |error| p50 %.3f ms, p99 %.3f ms, max %.3f ms; end drift %+.3f ms; %llu xruns\n",
                percentile(errors, 0.5) / 1000, percentile(errors, 0.99) / 1000, percentile(errors, 1.0) / 1000,
                last / 1000, static_cast<unsigned long long>(xrunsDuring));
}

}  // namespace

int main(int argc, char** argv)
{
    // Each path's line is out as soon as it is measured, also into a file.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    double seconds = 60;
    bool wall = true, frame = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
            seconds = std::clamp(std::atof(argv[++i]), 2.0, 600.0);
        } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc) {
            ++i;
            wall = std::strcmp(argv[i], "wall") == 0;
            frame = std::strcmp(argv[i], "frame") == 0;
        } else {
            std::fprintf(stderr, "usage: jackmidi_bench [--seconds S] [--only wall|frame]   (2 to 600 s)\n");
            return 2;
        }
    }
    if (std::getenv("JACK_DEFAULT_SERVER") == nullptr) {
        std::fprintf(stderr, "jackmidi_bench: JACK_DEFAULT_SERVER names no server; run jackmidi_bench.sh\n");
        return 1;
    }
    std::vector<std::int32_t> clickTicks;
    const std::vector<std::uint8_t> image = clickTrack(seconds, clickTicks);
    midiSong song;
    song.loadFromMemory(image.data(), image.size());
    const std::vector<double> exact = clickMicros(image, clickTicks);
    std::printf("jackmidi_bench: %zu clicks over %.1f s, tempo changing every 2 bars, into a JACK MIDI port\n",
                exact.size(), exact.back() / 1e6);
    if (wall)
        playThrough(false, song, exact);
    if (frame)
        playThrough(true, song, exact);
    std::printf("targets (frame-placed): every click, p99 <= 0.1 ms, end drift <= 0.1 ms, no xrun\n");
    platform::selectDefaultMidiBackends();
    return 0;
}
