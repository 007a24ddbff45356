// How well a click track keeps time through the built-in synth. The click
// track (a wood block on every beat, the tempo changing every two bars) goes
// two ways:
//  - live: the song player drives the built-in synth device in real time. With
//    no sound card here, the synth's "file" audio driver (platform/fileaudio.h)
//    stands in for one: it asks for the synth's output a period at a time on
//    the steady clock's beat, as a card would, and writes it into
//    live.wav in a scratch folder. The clicks are compared against the
//    audio's own clock, its rate fitted, as a card's clock would need. Sleeping
//    probes (wakeprobe.h) watch for stalls of the machine meanwhile; clicks due
//    during one are also left out in a second line of figures.
//  - offline: "orvelline-midi render" renders the same song in sample time.
// The clicks' onsets are found in the audio and compared with the tempo map,
// after removing the constant delay (the median of onset - exact). Prints p99
// and maximum of the remaining error and the error of the last click, and the
// render's speed; asserts nothing.
//
//   synth_bench [--seconds S]   (length of the click track, default 60)
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "benchsupport.h"
#include "clicktrack.h"
#include "mididata/song.h"
#include "mididata/tempomap.h"
#include "midiout/midigateway.h"
#include "midiout/playsong.h"
#include "midiout/sequenceplayer.h"
#include "platform/registry.h"
#include "tools/rendercommand.h"
#include "wakeprobe.h"

int main(int argc, char** argv)
{
    double seconds = 60;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
            seconds = std::max(2.0, std::atof(argv[++i]));
        else {
            std::fprintf(stderr, "usage: synth_bench [--seconds S]\n");
            return 2;
        }
    }
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("orvelline-synth-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::vector<std::int32_t> clickTicks;
    const std::vector<std::uint8_t> image = clickTrack(seconds, clickTicks);
    const std::string midi = (dir / "click.mid").string();
    std::ofstream(midi, std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));

    midiSong song;
    song.loadFromMemory(image.data(), image.size());
    const std::vector<double> exact = clickMicros(image, clickTicks);
    std::printf("synth_bench: %zu clicks over %.1f s, tempo changing every 2 bars\n\n", exact.size(),
                exact.back() / 1e6);

    // Live, through the built-in synth device and the file driver, which
    // writes live.wav into the scratch folder.
    platform::OutputOptions options;
    options.synthAudioDrivers = {"file"};
    options.fileAudioOutput = dir / "live.wav";
    platform::selectDefaultMidiBackends(options);
    {
        MidiGateway gateway;
        if (gateway.OpenDevice(platform::MidiMapper) != 0) {
            std::printf("live: the built-in synth did not open with the file driver; no live figures\n");
        } else {
            midiTrack track(&song, 0, "");
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            WakeProbe probe;
            playSong(gateway, song, track);
            while (gateway.IsPlaying())
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            probe.stop();
            const std::int64_t start = gateway.Player().songStartMicros();
            gateway.CloseDevice();
            // A stall moves a click when it holds up the player as the click
            // falls due: messages are time-stamped as they are sent.
            std::vector<bool> nearStall;
            for (double micros : exact) {
                const std::int64_t due = start + std::int64_t(micros);
                nearStall.push_back(probe.stalledDuring(due, due + 3000));
            }
            const std::vector<double> wakes = probe.lateness();
            std::printf("live: sleeping probes woke at most %.3f ms late (p99 %.3f ms)", percentile(wakes, 1.0) / 1000,
                        percentile(wakes, 0.99) / 1000);
            if (probe.stolenMillis() >= 0)
                std::printf("; the hypervisor stole %.0f ms", probe.stolenMillis());
            std::printf("\n");
            Audio live;
            if (readWav(options.fileAudioOutput.string(), live) && !live.level.empty()) {
                std::printf("live: %.1f s of audio at %.0f Hz written by the file driver\n",
                            double(live.level.size()) / live.rate, live.rate);
                const std::vector<double> onsets = onsetMicros(live);
                report("live, against the audio's own clock (its rate fitted):", onsets, exact, true, nearStall);
            } else {
                std::printf("live: the file driver left no readable live.wav\n");
            }
        }
    }
    platform::selectDefaultMidiBackends();

    // Offline, in sample time.
    const std::string wav = (dir / "render.wav").string();
    std::ostringstream out, err;
    const auto started = std::chrono::steady_clock::now();
    const int status = runRenderCommand(midi, wav, RenderOptions(), out, err);
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    Audio rendered;
    if (status != 0 || !readWav(wav, rendered)) {
        std::printf("\nrender failed: %s", err.str().c_str());
    } else {
        std::printf("\n");
        report("render (sample time, 64-frame blocks of the synth):", onsetMicros(rendered), exact, false);
        const double length = double(rendered.level.size()) / rendered.rate;
        std::printf("  rendered %.1f s in %.3f s: %.0f times real time\n", length, took, length / took);
    }
    std::printf("\ntargets (live): p99 <= 1.6 ms, last click <= 1 ms\n");
    std::filesystem::remove_all(dir);
    return 0;
}
