// How much faster than real time "orvelline-midi render" turns a song into a
// WAV file. Renders generated songs of 15 channels (notes every 120 ticks on
// each, pitch-bend and controller streams, tempo events) through the built-in
// synth with the system's SoundFont, and prints the audio length, the wall
// time (loading, rendering and writing the file included) and their ratio.
// Asserts nothing.
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

#include "smfgen.h"
#include "tools/rendercommand.h"

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
    std::filesystem::remove_all(dir);
    return 0;
}
