#include "tools/rendercommand.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <vector>

#include "mididata/song.h"
#include "midiout/clocktext.h"
#include "midiout/rendergain.h"
#include "tools/loadsong.h"

namespace {

// A number of decibels within reason: beyond +-60 dB a song is either all
// clipping or silence, which is a typing mistake rather than a wish.
bool parseDecibels(const std::string& text, double& db)
{
    char* end = nullptr;
    db = std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size() && std::isfinite(db) && std::fabs(db) <= 60.0;
}

}  // namespace

bool parseRenderArguments(std::span<const std::string> args, std::string& in, std::string& out, RenderOptions& options,
                          std::string& problem)
{
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--soundfont") {
            if (i + 1 >= args.size()) {
                problem = "--soundfont needs a file";
                return false;
            }
            options.soundFont = args[++i];
        } else if (args[i] == "--gain") {
            if (i + 1 >= args.size() || !parseDecibels(args[i + 1], options.gainDb)) {
                problem = "--gain takes a number of decibels from -60 to 60";
                return false;
            }
            ++i;
        } else if (args[i] == "--normalize") {
            options.normalize = true;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            problem = "render does not know the option '" + args[i] + "'";
            return false;
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2) {
        problem = "render takes FILE and OUT.wav (or OUT.flac)";
        return false;
    }
    in = files[0];
    out = files[1];
    return true;
}

int runRenderCommand(const std::string& in, const std::string& outPath, const RenderOptions& options,
                     std::ostream& report, std::ostream& err)
{
    const auto started = std::chrono::steady_clock::now();
    midiSong song;
    if (!loadSong(song, in, err))
        return 1;
    const RenderResult result = renderAudio(song, outPath, options);
    switch (result.outcome) {
    case RenderResult::Outcome::Written: break;
    case RenderResult::Outcome::NoSoundFont: err << result.error << " Or name one with --soundfont SF.\n"; return 1;
    case RenderResult::Outcome::TooLong: err << in << ": " << result.error << '\n'; return 1;
    default: err << result.error << '\n'; return 1;
    }
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const double length = double(result.frames) / result.sampleRate;
    char speed[64];
    std::snprintf(speed, sizeof speed, "%.2f s (%.0f times real time)", took, took > 0 ? length / took : 0.0);
    report << "Rendered " << clockText(result.frames * 1000000 / result.sampleRate) << " of audio to " << outPath
           << " in " << speed << " with " << result.soundFont.string() << '\n';
    char level[128];
    std::snprintf(level, sizeof level, "Gain %+.1f dB, peak %.1f dBFS", result.gainDb, decibelsOf(result.peak));
    report << level;
    if (result.clipped > 0)
        report << ", " << result.clipped << " samples clipped";
    report << '\n';
    return 0;
}
