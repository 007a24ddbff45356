#pragma once
// Where the built-in synth gets its General MIDI SoundFont. A SoundFont
// chosen explicitly (a command-line option) wins; otherwise the first *.sf2
// or *.sf3 of the program folder, by name; otherwise the first of the system
// SoundFonts that exists. The search runs each time the synth opens, so a
// font dropped into the folder is used from the next open on.
#include <filesystem>
#include <span>
#include <vector>

namespace platform {

// The application hands over its folder at start-up; until then, and when
// given an empty path, the folder of the running executable is used.
void setProgramFolder(const std::filesystem::path& folder);
std::filesystem::path programFolder();

// An empty path returns to searching. A chosen file that does not load makes
// the open fail rather than quietly fall back to another font.
void setSoundFont(const std::filesystem::path& file);
std::filesystem::path chosenSoundFont();

// The GM SoundFonts of the usual distribution folders, in the order tried
// (FluidR3 before TimGM6mb, whose whistle is badly out of tune).
std::span<const std::filesystem::path> systemSoundFonts();

// The first regular file named *.sf2 or *.sf3 (any case) in folder, by name;
// empty when there is none or the folder cannot be read.
std::filesystem::path firstSoundFontIn(const std::filesystem::path& folder);

// The search itself over the given places; empty when nothing is found.
std::filesystem::path findSoundFont(const std::filesystem::path& programFolder,
                                    std::span<const std::filesystem::path> systemFonts);
// The font the built-in synth uses now: the chosen one, or the search over
// programFolder() and systemSoundFonts().
std::filesystem::path findSoundFont();

}  // namespace platform
