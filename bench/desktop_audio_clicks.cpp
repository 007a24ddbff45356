// The measuring half of bench/desktop_audio_bench.sh:
//   desktop_audio_clicks write FILE.mid SECONDS
//       writes the click track (clicktrack.h) at least SECONDS long
//   desktop_audio_clicks measure FILE.mid RECORDING.wav LABEL
//       finds the clicks in a recording of the sink and prints their errors
//       against the tempo map of FILE.mid (p50, p99, max, end drift). The
//       recording runs on the sound server's clock, which is the clock the
//       listener hears: its rate is not fitted.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "clicktrack.h"

namespace {

std::vector<std::uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The click track is regenerated from its length: the file itself holds no list of clicks.
std::vector<std::int32_t> clickTicksOf(const std::vector<std::uint8_t>& image, std::vector<std::uint8_t>& regenerated)
{
    for (double seconds = 1; seconds < 24 * 3600; seconds += 1) {
        std::vector<std::int32_t> ticks;
        regenerated = clickTrack(seconds, ticks);
        if (regenerated == image)
            return ticks;
        if (regenerated.size() > image.size())
            break;
    }
    return {};
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "write" && argc == 4) {
        std::vector<std::int32_t> ticks;
        const std::vector<std::uint8_t> image = clickTrack(std::max(1.0, std::atof(argv[3])), ticks);
        std::ofstream(argv[2], std::ios::binary)
            .write(reinterpret_cast<const char*>(image.data()), std::streamsize(image.size()));
        const std::vector<double> exact = clickMicros(image, ticks);
        std::printf("%zu clicks over %.1f s, the tempo changing every 2 bars\n", exact.size(), exact.back() / 1e6);
        return 0;
    }
    if (command == "measure" && argc == 5) {
        const std::vector<std::uint8_t> image = readFile(argv[2]);
        std::vector<std::uint8_t> regenerated;
        const std::vector<std::int32_t> ticks = clickTicksOf(image, regenerated);
        if (ticks.empty()) {
            std::printf("%s: %s is not a click track of this program\n", argv[4], argv[2]);
            return 1;
        }
        Audio audio;
        if (!readWav(argv[3], audio) || audio.level.empty()) {
            std::printf("%s: no readable 16-bit recording in %s\n", argv[4], argv[3]);
            return 1;
        }
        report(argv[4], onsetMicros(audio), clickMicros(image, ticks), false);
        return 0;
    }
    std::fprintf(stderr, "usage: desktop_audio_clicks write FILE.mid SECONDS\n"
                         "       desktop_audio_clicks measure FILE.mid RECORDING.wav LABEL\n");
    return 2;
}
