#pragma once
// Playing a song through the built-in synth offline, in sample time, into a
// 16-bit stereo audio file (WAV, or FLAC by the name's extension). The events
// go in the order and at the times at which "Play MIDI" would send them, so
// the file sounds as the program plays the song, only many times faster than
// real time. "orvelline-midi render" and the window's "Export audio..." both
// come here, so the same song gives the same samples either way.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

class midiSong;

struct RenderOptions {
    std::string soundFont;  // empty: the built-in synth's own search
    std::uint32_t sampleRate = 44100;
    double tailSeconds = 2.0;  // after the last event, for releases and reverb
    double gainDb = 0.0;       // added to the level, after normalize when both are given
    bool normalize = false;    // the loudest sample at -1 dBFS
};

// Told how much of the work is done (0..1) now and then; answering false
// cancels the render, which then leaves no file.
using RenderProgress = std::function<bool(double done)>;

struct RenderResult {
    // TooLong: the song lasts longer than the file's format can hold.
    enum class Outcome { Written, Failed, NoSoundFont, TooLong, Cancelled };
    Outcome outcome = Outcome::Failed;
    std::string error;  // why it failed, as the user should read it
    std::int64_t frames = 0;
    std::uint32_t sampleRate = 0;
    double gainDb = 0.0;
    float peak = 0.0f;  // of the written samples, full scale 1.0
    std::size_t clipped = 0;
    std::filesystem::path soundFont;

    bool written() const { return outcome == Outcome::Written; }
};

// song is made ready for playing (its play track is built from it).
RenderResult renderAudio(midiSong& song, const std::string& outPath, const RenderOptions& options,
                         const RenderProgress& progress = {});
