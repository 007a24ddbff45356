#include "midiout/renderaudio.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>
#include <optional>
#include <span>
#include <system_error>
#include <vector>

#include "mididata/song.h"
#include "mididata/track.h"
#include "midiout/audiofile.h"
#include "midiout/clocktext.h"
#include "midiout/eventmessage.h"
#include "midiout/playsong.h"
#include "midiout/rendergain.h"
#include "midiout/songclock.h"
#include "platform/midiout.h"
#include "platform/programfolders.h"
#include "platform/softsynth.h"
#include "platform/soundfont.h"

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

std::unique_ptr<platform::SoftSynth> startSynth(const RenderOptions& options, RenderResult& result)
{
    const std::filesystem::path font =
        platform::soundFontToUse(options.soundFont, platform::ProgramFolders::ofThisProcess().extraFolders());
    if (font.empty()) {
        result.outcome = RenderResult::Outcome::NoSoundFont;
        result.error = platform::midiOutGetErrorText(platform::MidiNoSoundFont);
        return nullptr;
    }
    // Loading instruments as programs select them costs nothing in sample time
    // and saves reading the whole SoundFont for a song that uses a few.
    // A font that is not there is said as missing, not as a damaged font.
    std::error_code statusError;
    if (!std::filesystem::exists(std::filesystem::status(font, statusError))) {
        const std::error_code missing =
            statusError ? statusError : std::make_error_code(std::errc::no_such_file_or_directory);
        result.error = font.string() + ": " + missing.message();
        return nullptr;
    }
    auto synth = platform::SoftSynth::create({double(options.sampleRate), true});
    if (!synth) {
        result.error = platform::midiOutGetErrorText(platform::MidiSynthFailed);
        return nullptr;
    }
    if (const platform::MmResult status = synth->loadSoundFont(font); status != platform::MmOk) {
        result.error = font.string() + ": " + platform::midiOutGetErrorText(status);
        return nullptr;
    }
    result.soundFont = synth->soundFont();
    return synth;
}

std::int64_t frameOf(std::int64_t micros, std::uint32_t rate)
{
    return (micros * rate + kMicrosPerSecond / 2) / kMicrosPerSecond;
}

// What one pass over the song needs: the play track, each event's time, and
// the frame count including the tail.
struct SongPass {
    const midiTrack& track;
    const std::vector<std::int64_t>& times;
    std::uint32_t rate;
    std::int64_t totalFrames;

    std::int64_t frameAt(std::int64_t micros) const { return frameOf(micros, rate); }
};

// Sends the events at their frames and hands the audio between them to
// consume, block by block; stops early when consume answers false.
bool renderSong(platform::SoftSynth& synth, const SongPass& song,
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

// Counts the frames of all passes and tells progress about a few a second's
// worth of audio at a time, not every block.
class ProgressCount {
public:
    ProgressCount(const RenderProgress& progress, std::int64_t totalFrames)
        : progress_(progress), total_(std::max<std::int64_t>(1, totalFrames))
    {}
    bool add(std::size_t frames)
    {
        done_ += std::int64_t(frames);
        if (!progress_ || done_ - told_ < kEvery)
            return true;
        told_ = done_;
        return progress_(std::min(1.0, double(done_) / double(total_)));
    }

private:
    static constexpr std::int64_t kEvery = 8 * std::int64_t(kBlockFrames);
    const RenderProgress& progress_;
    std::int64_t total_;
    std::int64_t done_ = 0;
    std::int64_t told_ = 0;
};

}  // namespace

RenderResult renderAudio(midiSong& song, const std::string& outPath, const RenderOptions& options,
                         const RenderProgress& progress)
{
    RenderResult result;
    midiTrack track(&song, 0, "");
    buildPlayTrack(song, track);
    track.pack();
    track.expandDurations();
    const std::vector<std::int64_t> times = playerEventMicros(track, playStartTempo(song));

    std::unique_ptr<platform::SoftSynth> synth = startSynth(options, result);
    if (!synth)
        return result;
    const auto rate = std::uint32_t(synth->sampleRate());
    const std::unique_ptr<AudioFileWriter> file = makeAudioFileWriter(outPath, rate, kChannels);
    const std::int64_t lastMicros = times.empty() ? 0 : times.back();
    const std::int64_t tailFrames = std::llround(std::max(0.0, options.tailSeconds) * rate);
    const std::int64_t maxFrames = std::int64_t(std::min<std::uint64_t>(file->maxFrames(), INT64_MAX / 2)) - tailFrames;
    // Checked before any multiplication by the rate, which could overflow for a
    // song of absurd length.
    if (lastMicros > maxFrames / rate * kMicrosPerSecond) {
        result.outcome = RenderResult::Outcome::TooLong;
        result.error = "the song lasts " + clockText(lastMicros) + ", too long for a " + file->formatName() +
                       " file (at most " + clockText(maxFrames / rate * kMicrosPerSecond) + ")";
        return result;
    }
    const SongPass pass{track, times, rate, frameOf(lastMicros, rate) + tailFrames};
    result.frames = pass.totalFrames;
    result.sampleRate = rate;
    ProgressCount count(progress, pass.totalFrames * (options.normalize ? 2 : 1));
    bool cancelled = false;

    result.gainDb = options.gainDb;
    if (options.normalize) {
        // The first pass only measures; the second starts from a fresh synth,
        // so that it sounds exactly as the first did.
        float peak = 0.0f;
        const bool measured = renderSong(*synth, pass, [&](std::span<const float> samples) {
            peak = std::max(peak, peakOf(samples));
            return count.add(samples.size() / kChannels);
        });
        if (!measured) {
            result.outcome = RenderResult::Outcome::Cancelled;
            return result;
        }
        result.gainDb += normalizingGainDb(peak);
        synth = startSynth(options, result);
        if (!synth)
            return result;
    }

    file->expectFrames(std::uint64_t(pass.totalFrames));
    if (!file->open()) {
        result.error = file->error();
        return result;
    }
    const double factor = factorOfDecibels(result.gainDb);
    std::vector<std::int16_t> pcm(kBlockFrames * kChannels);
    float peak = 0.0f;
    const bool ok = renderSong(*synth, pass,
                               [&](std::span<const float> samples) {
                                   peak = std::max(peak, peakOf(samples));
                                   const std::span<std::int16_t> out(pcm.data(), samples.size());
                                   result.clipped += toPcm16(samples, factor, out);
                                   if (!file->write(out))
                                       return false;
                                   cancelled = !count.add(samples.size() / kChannels);
                                   return !cancelled;
                               }) &&
                    file->finish();
    if (!ok) {
        result.outcome = cancelled ? RenderResult::Outcome::Cancelled : RenderResult::Outcome::Failed;
        result.error = cancelled ? std::string() : file->error();
        return result;
    }
    result.peak = peak * float(factor);
    result.outcome = RenderResult::Outcome::Written;
    return result;
}
