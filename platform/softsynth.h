#pragma once
// The built-in General MIDI synthesizer without any audio output: FluidSynth's
// settings, its synthesizer and the loaded SoundFont. The synth backend puts
// an audio driver in front of it to play live; an offline render drives it
// directly and pulls the audio in sample time.
//
// Messages are those the MIDI devices take: packed short messages and long
// messages (system exclusive, or any run of wire bytes). GM System On, GS
// Reset and XG System On reset the synthesizer; reverb and chorus follow
// controllers 91 and 93. Sending and rendering are safe from different threads.
#include "platform/status.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

namespace platform {

// The FluidSynth objects, known only to platform/ sources (platform/softsynthimpl.h).
struct SoftSynthObjects;

class SoftSynth {
public:
    struct Options {
        double sampleRate = 48000;
        // Reads each instrument's samples when a program first selects it,
        // rather than the whole SoundFont at load: fast to start, but a
        // program change may then wait for the disk.
        bool loadSamplesOnDemand = false;
    };

    // Null when FluidSynth cannot create its settings or synthesizer.
    static std::unique_ptr<SoftSynth> create(const Options& options);
    static std::unique_ptr<SoftSynth> create() { return create(Options()); }
    ~SoftSynth();
    SoftSynth(const SoftSynth&) = delete;
    SoftSynth& operator=(const SoftSynth&) = delete;

    // Replaces the SoundFont; MidiSoundFontUnreadable when the file does not load.
    MmResult loadSoundFont(const std::filesystem::path& file);
    // Whether the file begins as a SoundFont (or DLS) file does: a quick
    // test before a load that may take a while.
    static bool looksLikeSoundFont(const std::filesystem::path& file);
    const std::filesystem::path& soundFont() const;
    double sampleRate() const;

    void shortMessage(std::uint32_t packed);
    void longMessage(std::span<const std::uint8_t> bytes);

    // Renders the next frames of stereo audio, interleaved left and right:
    // out.size() / 2 frames.
    void render(std::span<float> out);
    void render(std::span<std::int16_t> out);
    // The voices sounding or fading out.
    int activeVoices() const;

    using Impl = SoftSynthObjects;
    // For the audio driver of the synth backend.
    Impl& impl() { return *impl_; }

private:
    explicit SoftSynth(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
