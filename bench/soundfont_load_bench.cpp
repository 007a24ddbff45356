// What loading the SoundFont's samples on demand would buy and cost. The
// built-in synth reads the whole SoundFont at start, on a thread of its own
// while the window comes up. FluidSynth can instead read an instrument's
// samples when a program first selects it; that saves memory, but the read
// then happens where the program change is applied, on the audio thread.
// For each way, in a fresh process: how long the load takes and how much
// resident memory it adds, then for a handful of General MIDI programs how
// long the audio thread's period takes that applies the program change and a
// note and renders one 64-frame block (1.3 ms of audio at 48 kHz). A period
// longer than that is a gap in the sound. The SoundFont is read from the page
// cache as after any earlier start; a cold disk would take longer. Prints
// figures, asserts nothing.
//
//   soundfont_load_bench [--soundfont SF]
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "platform/shortmsg.h"
#include "platform/softsynth.h"
#include "platform/soundfont.h"

namespace {

constexpr int kBlockFrames = 64;
constexpr double kSampleRate = 48000;
// Piano, organ, guitar, strings, trumpet, flute, whistle, synth lead, drums'
// channel program, a sound effect.
constexpr int kPrograms[] = {0, 19, 24, 48, 56, 73, 78, 80, 118, 127};

double residentMegabytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

double millisSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void measure(const std::filesystem::path& font, bool onDemand)
{
    const double before = residentMegabytes();
    std::unique_ptr<platform::SoftSynth> synth = platform::SoftSynth::create({kSampleRate, onDemand});
    if (!synth) {
        std::printf("the synth could not be made\n");
        return;
    }
    const auto loadStart = std::chrono::steady_clock::now();
    if (synth->loadSoundFont(font) != platform::MmOk) {
        std::printf("%s did not load\n", font.c_str());
        return;
    }
    const double loadMillis = millisSince(loadStart);
    const double loaded = residentMegabytes();
    std::vector<float> block(2 * kBlockFrames);
    std::vector<double> periods;
    for (int program : kPrograms) {
        const auto start = std::chrono::steady_clock::now();
        synth->shortMessage(platform::packShortMessage(0xC0, std::uint8_t(program)));
        synth->shortMessage(platform::packShortMessage(0x90, 60, 100));
        synth->render(block);
        periods.push_back(millisSince(start));
        synth->shortMessage(platform::packShortMessage(0x80, 60, 0));
        for (int i = 0; i < 100; ++i)
            synth->render(block);
    }
    std::sort(periods.begin(), periods.end());
    std::printf("%-28s load %7.1f ms, +%6.1f MB resident after the load, +%6.1f MB after %zu programs\n",
                onDemand ? "samples read on demand:" : "whole SoundFont at start:", loadMillis, loaded - before,
                residentMegabytes() - before, periods.size());
    std::printf("%-28s period with a program change: median %.2f ms, max %.2f ms (the period is %.2f ms)\n", "",
                periods[periods.size() / 2], periods.back(), 1000.0 * kBlockFrames / kSampleRate);
}

}  // namespace

int main(int argc, char** argv)
{
    std::filesystem::path font;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--soundfont") == 0 && i + 1 < argc)
            font = argv[++i];
        else {
            std::fprintf(stderr, "usage: soundfont_load_bench [--soundfont SF]\n");
            return 2;
        }
    }
    if (font.empty())
        font = platform::findSoundFont({}, platform::systemSoundFonts());
    if (font.empty()) {
        std::fprintf(stderr, "no General MIDI SoundFont installed\n");
        return 1;
    }
    std::printf("SoundFont %s, %.1f MB\n", font.c_str(), double(std::filesystem::file_size(font)) / (1 << 20));
    for (bool onDemand : {false, true}) {
        std::fflush(stdout);
        // A fresh process each, so that neither way's memory counts for the other.
        const pid_t child = fork();
        if (child == 0) {
            measure(font, onDemand);
            std::fflush(stdout);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
    }
    return 0;
}
