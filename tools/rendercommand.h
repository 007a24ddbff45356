#pragma once
// "orvelline-midi render FILE OUT.wav [--soundfont SF] [--gain DB] [--normalize]": plays a Standard MIDI
// File through the built-in synth offline, in sample time, into a 16-bit
// stereo WAV file. The events go in the order and at the times at which
// "Play MIDI" would send them, so the file sounds as the program plays the
// song, only many times faster than real time.
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>

struct RenderOptions {
    std::string soundFont;  // empty: the built-in synth's own search
    std::uint32_t sampleRate = 44100;
    double tailSeconds = 2.0;  // after the last event, for releases and reverb
    double gainDb = 0.0;       // added to the level, after --normalize when both are given
    bool normalize = false;    // the loudest sample at -1 dBFS
};

// "FILE OUT.wav [--soundfont SF] [--gain DB] [--normalize]". False with problem set on a usage error.
bool parseRenderArguments(std::span<const std::string> args, std::string& in, std::string& out, RenderOptions& options,
                          std::string& problem);

// Writes a line about what was rendered to report and returns 0; on failure
// writes the reason to err and returns 1, leaving no file at outPath.
int runRenderCommand(const std::string& in, const std::string& outPath, const RenderOptions& options,
                     std::ostream& report, std::ostream& err);
