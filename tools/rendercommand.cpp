#include "tools/rendercommand.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "mididata/song.h"
#include "mididata/track.h"
#include "midiout/eventmessage.h"
#include "midiout/playsong.h"
#include "midiout/songclock.h"
#include "midispec/midivocabulary.h"
#include "platform/midiout.h"
#include "platform/programfolders.h"
#include "platform/softsynth.h"
#include "platform/soundfont.h"
#include "tools/clocktext.h"
#include "tools/loadsong.h"
#include "tools/rendergain.h"
#include "tools/wavfile.h"

namespace {

constexpr std::size_t kBlockFrames = 4096;
constexpr std::uint16_t kChannels = 2;
constexpr std::int64_t kMicrosPerSecond = 1000000;

// The event as the gateway would send it to a device.
void sendToSynth(platform::SoftSynth& synth, const anyEvent& e, std::vector<std::uint8_t>& sysex)
{
    if (e.status == 0xF0 || e.status == 0xF7) {
        if (const auto* message = dynamic_cast<const sysexEvent*>(&e)) {
            sysex.assign(1, e.status);
            sysex.insert(sysex.end(), message->bytes.begin(), message->bytes.end());
            synth.longMessage(sysex);
        }
    } else if (const std::optional<std::uint32_t> message = shortMessageOf(e)) {
        synth.shortMessage(*message);
    }
}

std::unique_ptr<platform::SoftSynth> startSynth(const RenderOptions& options, std::ostream& err)
{
    const std::filesystem::path font =
        platform::soundFontToUse(options.soundFont, platform::ProgramFolders::ofThisProcess().extraFolders());
    if (font.empty()) {
        err << platform::midiOutGetErrorText(platform::MidiNoSoundFont) << " Or name one with --soundfont SF.\n";
        return nullptr;
    }
    // Loading instruments as programs select them costs nothing in sample time
    // and saves reading the whole SoundFont for a song that uses a few.
    auto synth = platform::SoftSynth::create({double(options.sampleRate), true});
    if (!synth) {
        err << platform::midiOutGetErrorText(platform::MidiSynthFailed) << '\n';
        return nullptr;
    }
    if (const platform::MmResult status = synth->loadSoundFont(font); status != platform::MmOk) {
        err << font.string() << ": " << platform::midiOutGetErrorText(status) << '\n';
        return nullptr;
    }
    return synth;
}

// What one pass over the song needs: the play track, each event's time, and
// the frame count including the tail.
struct SongRender {
    const midiTrack& track;
    const std::vector<std::int64_t>& times;
    std::function<std::int64_t(std::int64_t)> frameAt;
    std::int64_t totalFrames;
};

// Sends the events at their frames and hands the audio between them to
// consume, block by block; stops early when consume answers false.
bool renderSong(platform::SoftSynth& synth, const SongRender& song,
                const std::function<bool(std::span<const float>)>& consume)
{
    std::vector<float> block(kBlockFrames * kChannels);
    std::int64_t done = 0;
    const auto renderUntil = [&](std::int64_t frame) {
        while (done < frame) {
            const auto frames = std::size_t(std::min<std::int64_t>(std::int64_t(kBlockFrames), frame - done));
            const std::span<float> samples(block.data(), frames * kChannels);
            synth.render(samples);
            if (!consume(samples))
                return false;
            done += std::int64_t(frames);
        }
        return true;
    };
    std::vector<std::uint8_t> sysex;
    for (std::size_t i = 0; i < song.track.size(); ++i) {
        if (!renderUntil(song.frameAt(song.times[i])))
            return false;
        if (song.track.at(i))
            sendToSynth(synth, *song.track.at(i), sysex);
    }
    return renderUntil(song.totalFrames);
}

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
        problem = "render takes FILE and OUT.wav";
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
    midiTrack track(&song, 0, "");
    buildPlayTrack(song, track);
    track.pack();
    track.expandDurations();
    const std::vector<std::int64_t> times = playerEventMicros(track, playStartTempo(song));

    std::unique_ptr<platform::SoftSynth> synth = startSynth(options, err);
    if (!synth)
        return 1;
    const auto rate = std::uint32_t(synth->sampleRate());
    const std::int64_t lastMicros = times.empty() ? 0 : times.back();
    const std::int64_t tailFrames = std::llround(std::max(0.0, options.tailSeconds) * rate);
    const std::int64_t maxFrames = std::int64_t(WavWriter::kMaxDataBytes / (2 * kChannels)) - tailFrames;
    // Checked before any multiplication by the rate, which could overflow for a
    // song of absurd length.
    if (lastMicros > maxFrames / rate * kMicrosPerSecond) {
        err << in << ": the song lasts " << clockText(lastMicros) << ", too long for a WAV file (at most "
            << clockText(maxFrames / rate * kMicrosPerSecond) << ")\n";
        return 1;
    }
    const auto frameAt = [rate](std::int64_t micros) {
        return (micros * rate + kMicrosPerSecond / 2) / kMicrosPerSecond;
    };
    const std::int64_t totalFrames = frameAt(lastMicros) + tailFrames;
    const SongRender pass{track, times, frameAt, totalFrames};

    double gainDb = options.gainDb;
    if (options.normalize) {
        // The first pass only measures; the second starts from a fresh synth,
        // so that it sounds exactly as the first did.
        float peak = 0.0f;
        renderSong(*synth, pass, [&peak](std::span<const float> samples) {
            peak = std::max(peak, peakOf(samples));
            return true;
        });
        gainDb += normalizingGainDb(peak);
        synth = startSynth(options, err);
        if (!synth)
            return 1;
    }

    WavWriter wav(outPath, rate, kChannels);
    if (!wav.open()) {
        err << wav.error() << '\n';
        return 1;
    }
    const double factor = factorOfDecibels(gainDb);
    std::vector<std::int16_t> pcm(kBlockFrames * kChannels);
    float peak = 0.0f;
    std::size_t clipped = 0;
    const bool ok = renderSong(*synth, pass,
                               [&](std::span<const float> samples) {
                                   peak = std::max(peak, peakOf(samples));
                                   const std::span<std::int16_t> out(pcm.data(), samples.size());
                                   clipped += toPcm16(samples, factor, out);
                                   return wav.write(out);
                               }) &&
                    wav.finish();
    if (!ok) {
        err << wav.error() << '\n';
        return 1;
    }
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const double length = double(totalFrames) / rate;
    char speed[64];
    std::snprintf(speed, sizeof speed, "%.2f s (%.0f times real time)", took, took > 0 ? length / took : 0.0);
    report << "Rendered " << clockText(totalFrames * kMicrosPerSecond / rate) << " of audio to " << outPath << " in "
           << speed << " with " << synth->soundFont().string() << '\n';
    char level[128];
    std::snprintf(level, sizeof level, "Gain %+.1f dB, peak %.1f dBFS", gainDb, decibelsOf(peak * factor));
    report << level;
    if (clipped > 0)
        report << ", " << clipped << " samples clipped";
    report << '\n';
    return 0;
}
