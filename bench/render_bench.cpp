// How much faster than real time "orvelline-midi render" turns a song into a
// WAV file. Renders generated songs of 15 channels (notes every 120 ticks on
// each, pitch-bend and controller streams, tempo events) through the built-in
// synth with the system's SoundFont, and prints the audio length, the wall
// time (loading, rendering and writing the file included) and their ratio.
// Then "Export audio..." of a three-minute take played on the surface (a
// phrase every two seconds, the pointer sampled every 10 ms), through the
// session as the window calls it, into WAV and FLAC. Asserts nothing.
//
//   render_bench [--notes N ...]   (default 10000 and 50000 notes)
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "midiout/midigateway.h"
#include "perform/session.h"
#include "platform/capture.h"
#include "smfgen.h"
#include "tools/rendercommand.h"

namespace {

// Records the take on the capture device, with the session's clock stepped
// by hand so that recording costs no waiting.
void recordTake(Session& session, std::uint32_t& clock, std::uint32_t millis)
{
    session.startRecording();
    PointerSample sample;
    sample.width = sample.height = 240;
    for (std::uint32_t t = 0; t < millis; t += 10, clock += 10) {
        const std::uint32_t inPhrase = t % 2000;
        if (inPhrase >= 1500) {
            if (inPhrase == 1500)
                session.leaveSurface();
            continue;
        }
        sample.x = 40 + int(inPhrase / 10);
        sample.y = 30 + int((t / 2000 * 37 + inPhrase / 12) % 180);
        session.pointerMoved(sample);
    }
    session.leaveSurface();
    session.stopRecording();
}

void benchTakeExport(const std::filesystem::path& dir)
{
    constexpr std::uint32_t kTakeMillis = 180000;
    platform::installCaptureBackend(1);
    std::uint32_t clock = 1000;
    Session::Options options;
    options.pause = [](std::uint32_t) {};
    options.performerPause = [](std::uint32_t) {};
    options.clock = [&clock] { return clock; };
    Session session(options);
    session.gateway().OpenDevice(platform::MidiMapper);
    session.initSound();
    recordTake(session, clock, kTakeMillis);
    std::printf("\nExport audio of a %u s take (target: 20 x real time)\n", kTakeMillis / 1000);
    std::printf("%8s %10s %10s %10s %10s\n", "format", "audio s", "wall s", "x real", "file MB");
    for (const char* name : {"take.wav", "take.flac"}) {
        const std::string out = (dir / name).string();
        const auto start = std::chrono::steady_clock::now();
        const RenderResult result = session.exportAudio(out, RenderOptions());
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!result.written()) {
            std::printf("%8s export failed: %s\n", name, result.error.c_str());
            continue;
        }
        const double audio = double(result.frames) / result.sampleRate;
        std::printf("%8s %10.1f %10.2f %10.1f %10.1f\n", std::strchr(name, '.') + 1, audio, wall, audio / wall,
                    double(std::filesystem::file_size(out)) / 1e6);
        std::filesystem::remove(out);
    }
    platform::removeCaptureBackend();
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--notes") == 0 && i + 1 < argc)
            sizes.push_back(std::max(1, std::atoi(argv[++i])));
        else {
            std::fprintf(stderr, "usage: render_bench [--notes N ...]\n");
            return 2;
        }
    }
    if (sizes.empty())
        sizes = {10000, 50000};
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("orvelline-render-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::printf("%8s %10s %10s %10s %10s\n", "notes", "audio s", "wall s", "x real", "WAV MB");
    for (int notes : sizes) {
        const GeneratedSong song = generateSong("format1", notes);
        const std::string midi = (dir / "song.mid").string(), wav = (dir / "song.wav").string();
        std::ofstream(midi, std::ios::binary)
            .write(reinterpret_cast<const char*>(song.image.data()), std::streamsize(song.image.size()));
        std::ostringstream out, err;
        const auto start = std::chrono::steady_clock::now();
        const int status = runRenderCommand(midi, wav, RenderOptions(), out, err);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (status != 0) {
            std::printf("%8d render failed: %s", notes, err.str().c_str());
            continue;
        }
        const double bytes = double(std::filesystem::file_size(wav));
        const double audio = (bytes - 44) / (4 * RenderOptions().sampleRate);
        std::printf("%8d %10.1f %10.2f %10.1f %10.1f\n", notes, audio, wall, audio / wall, bytes / 1e6);
        std::filesystem::remove(wav);
    }
    benchTakeExport(dir);
    std::filesystem::remove_all(dir);
    return 0;
}
