#include "tools/rendercommand.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "mididata/song.h"
#include "mididata/track.h"
#include "midiout/eventmessage.h"
#include "midiout/playsong.h"
#include "midiout/songclock.h"
#include "platform/midiout.h"
#include "platform/softsynth.h"
#include "platform/soundfont.h"
#include "tools/loadsong.h"
#include "tools/wavfile.h"

namespace {

constexpr std::int32_t kDefaultTempo = 500000;
constexpr std::size_t kBlockFrames = 4096;
constexpr std::uint16_t kChannels = 2;

// The event as the gateway would send it to a device.
void sendToSynth(platform::SoftSynth& synth, const anyEvent& e, std::vector<std::uint8_t>& sysex) {
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

std::unique_ptr<platform::SoftSynth> startSynth(const RenderOptions& options, std::ostream& err) {
    const std::filesystem::path font =
        options.soundFont.empty() ? platform::findSoundFont() : std::filesystem::path(options.soundFont);
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

}  // namespace

bool parseRenderArguments(std::span<const std::string> args, std::string& in, std::string& out,
                          RenderOptions& options, std::string& problem) {
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--soundfont") {
            if (i + 1 >= args.size()) {
                problem = "--soundfont needs a file";
                return false;
            }
            options.soundFont = args[++i];
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

std::string clockText(std::int64_t micros) {
    char text[32];
    const std::int64_t tenths = std::max<std::int64_t>(0, micros) / 100000;
    std::snprintf(text, sizeof text, "%lld:%02lld.%lld", static_cast<long long>(tenths / 600),
                  static_cast<long long>(tenths / 10 % 60), static_cast<long long>(tenths % 10));
    return text;
}

std::int32_t playStartTempo(midiSong& song) {
    const std::int32_t tempo = song.tempoAt(0);
    return tempo >= 1 && tempo <= kMaxTempo ? tempo : kDefaultTempo;
}

int runRenderCommand(const std::string& in, const std::string& outPath, const RenderOptions& options,
                     std::ostream& report, std::ostream& err) {
    const auto started = std::chrono::steady_clock::now();
    midiSong song;
    if (!loadSong(song, in, err)) return 1;
    midiTrack track(&song, 0, "");
    buildPlayTrack(song, track);
    track.pack();
    track.expandDurations();
    const std::vector<std::int64_t> times = playerEventMicros(track, playStartTempo(song));

    std::unique_ptr<platform::SoftSynth> synth = startSynth(options, err);
    if (!synth) return 1;
    const auto rate = std::uint32_t(synth->sampleRate());
    const std::int64_t lastMicros = times.empty() ? 0 : times.back();
    const std::int64_t tailFrames = std::llround(std::max(0.0, options.tailSeconds) * rate);
    const std::int64_t maxFrames = std::int64_t(WavWriter::kMaxDataBytes / (2 * kChannels)) - tailFrames;
    // Checked before any multiplication by the rate, which could overflow for a
    // song of absurd length.
    if (lastMicros > maxFrames / rate * 1000000) {
        err << in << ": the song lasts " << clockText(lastMicros) << ", too long for a WAV file (at most "
            << clockText(maxFrames / rate * 1000000) << ")\n";
        return 1;
    }
    const auto frameAt = [rate](std::int64_t micros) { return (micros * rate + 500000) / 1000000; };
    const std::int64_t totalFrames = frameAt(lastMicros) + tailFrames;

    WavWriter wav(outPath, rate, kChannels);
    if (!wav.open()) {
        err << wav.error() << '\n';
        return 1;
    }
    std::vector<std::int16_t> block(kBlockFrames * kChannels);
    std::int64_t done = 0;
    const auto renderUntil = [&](std::int64_t frame) {
        while (done < frame) {
            const auto frames = std::size_t(std::min<std::int64_t>(std::int64_t(kBlockFrames), frame - done));
            const std::span<std::int16_t> samples(block.data(), frames * kChannels);
            synth->render(samples);
            if (!wav.write(samples)) return false;
            done += std::int64_t(frames);
        }
        return true;
    };
    std::vector<std::uint8_t> sysex;
    bool ok = true;
    for (size_t i = 0; ok && i < track.size(); ++i) {
        ok = renderUntil(frameAt(times[i]));
        if (ok && track.at(i)) sendToSynth(*synth, *track.at(i), sysex);
    }
    ok = ok && renderUntil(totalFrames) && wav.finish();
    if (!ok) {
        err << wav.error() << '\n';
        return 1;
    }
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const double length = double(totalFrames) / rate;
    char speed[64];
    std::snprintf(speed, sizeof speed, "%.2f s (%.0f times real time)", took, took > 0 ? length / took : 0.0);
    report << "Rendered " << clockText(totalFrames * 1000000 / rate) << " of audio to " << outPath << " in " << speed << " with "
           << synth->soundFont().string() << '\n';
    return 0;
}
