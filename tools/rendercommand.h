#pragma once
// "orvelline-midi render FILE OUT.wav|OUT.flac [--soundfont SF] [--gain DB] [--normalize]": reads a
// Standard MIDI File and renders it offline (midiout/renderaudio.h) into a
// 16-bit stereo WAV or FLAC file, as the window's "Export audio..." does.
#include <iosfwd>
#include <span>
#include <string>

#include "midiout/renderaudio.h"

// "FILE OUT.wav|OUT.flac [--soundfont SF] [--gain DB] [--normalize]". False with problem set on a usage error.
bool parseRenderArguments(std::span<const std::string> args, std::string& in, std::string& out, RenderOptions& options,
                          std::string& problem);

// Writes a line about what was rendered to report and returns 0; on failure
// writes the reason to err and returns 1, leaving no file at outPath.
int runRenderCommand(const std::string& in, const std::string& outPath, const RenderOptions& options,
                     std::ostream& report, std::ostream& err);
