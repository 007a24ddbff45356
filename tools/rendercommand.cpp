#include "tools/rendercommand.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <vector>

#include "mididata/song.h"
#include "mididata/standardstreams.h"
#include "midiout/clocktext.h"
#include "midiout/rendergain.h"
#include "tools/arguments.h"
#include "tools/loadsong.h"

namespace {

const char* const kGainRange = "--gain takes a number of decibels from -60 to 60";

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
    static const OptionSpec known[] = {
        {"--soundfont", "--soundfont needs a file"}, {"--gain", kGainRange}, {"--normalize"}};
    SplitArguments split;
    if (!splitArguments("render", args, known, split, problem))
        return false;
    for (const auto& [name, value] : split.options) {
        if (name == "--soundfont") {
            options.soundFont = value;
        } else if (name == "--gain") {
            if (!parseDecibels(value, options.gainDb)) {
                problem = kGainRange;
                return false;
            }
        } else {
            options.normalize = true;
        }
    }
    if (split.operands.size() != 2) {
        problem = "render takes FILE and OUT.wav (or OUT.flac, or - for standard output)";
        return false;
    }
    in = split.operands[0];
    out = split.operands[1];
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
    case RenderResult::Outcome::NoSoundFont:
        err << "orvelline-midi: " << result.error << " Or name one with --soundfont SF.\n";
        return 1;
    case RenderResult::Outcome::TooLong:
        err << commandError(standardStreamName(in, false), result.error) << '\n';
        return 1;
    default: err << "orvelline-midi: " << result.error << '\n'; return 1;
    }
    // The audio itself may be what standard output carries.
    std::ostream& said = namesStandardStream(outPath) ? err : report;
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const double length = double(result.frames) / result.sampleRate;
    char speed[64];
    std::snprintf(speed, sizeof speed, "%.2f s (%.0f times real time)", took, took > 0 ? length / took : 0.0);
    said << "Rendered " << clockText(result.frames * 1000000 / result.sampleRate) << " of audio to "
         << standardStreamName(outPath, true) << " in " << speed << " with " << result.soundFont.string() << '\n';
    char level[128];
    std::snprintf(level, sizeof level, "Gain %+.1f dB, peak %.1f dBFS", result.gainDb, decibelsOf(result.peak));
    said << level;
    if (result.clipped > 0)
        said << ", " << result.clipped << " samples clipped";
    said << '\n';
    return 0;
}
