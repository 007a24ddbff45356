#pragma once
// Where the built-in synth gets its General MIDI SoundFont. A SoundFont
// chosen explicitly (OutputOptions::soundFont, a command-line option) wins;
// otherwise the first *.sf2 or *.sf3, by name, of the program folder, then
// of the per-user folder of an installed copy (platform/programfolders.h);
// otherwise the first of the system SoundFonts that exists. The search runs
// each time the synth opens, so a font dropped into a folder is used from
// the next open on.
#include <filesystem>
#include <span>
#include <vector>

namespace platform {

// The GM SoundFonts of the usual distribution folders, in the order tried
// (FluidR3 before TimGM6mb, whose whistle is badly out of tune).
std::span<const std::filesystem::path> systemSoundFonts();

// The first regular file named *.sf2 or *.sf3 (any case) in folder, by name;
// empty when there is none or the folder cannot be read.
std::filesystem::path firstSoundFontIn(const std::filesystem::path& folder);

// The search itself over the given places: each folder in turn, then the
// system fonts; empty when nothing is found.
std::filesystem::path findSoundFont(std::span<const std::filesystem::path> folders,
                                    std::span<const std::filesystem::path> systemFonts);
// The font to use now: chosen when it is not empty, else the search over
// folders and systemSoundFonts().
std::filesystem::path soundFontToUse(const std::filesystem::path& chosen,
                                     std::span<const std::filesystem::path> folders);

}  // namespace platform
