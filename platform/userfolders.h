#pragma once
// Where the program keeps its files. A copy run from a folder the user can
// write keeps there.cfg and device.prf beside itself and finds its pictures
// and SoundFont there. An installed copy, in a folder the user cannot write,
// keeps its settings in the per-user configuration folder instead
// ($XDG_CONFIG_HOME/Orvelline, else ~/.config/Orvelline) and looks for
// pictures and SoundFonts in both places, its own folder first.
//
// Whether the program folder is writable is decided once per program folder
// and kept, so the settings never move between two files within one run.
#include <filesystem>
#include <functional>
#include <vector>

namespace platform {

// The application hands over its folder at start-up; until then, and when
// given an empty path, the folder of the running executable is used.
void setProgramFolder(const std::filesystem::path& folder);
std::filesystem::path programFolder();

// The per-user configuration folder. An empty path returns to the one the
// environment names (tests point it at a folder of their own).
void setUserFolder(const std::filesystem::path& folder);
std::filesystem::path userFolder();
// The per-user folder for these values of XDG_CONFIG_HOME and HOME (either
// may be null): a relative XDG_CONFIG_HOME is ignored, as the XDG rules ask.
// Empty when neither names an absolute folder.
std::filesystem::path userFolderFor(const char* xdgConfigHome, const char* home);

// True when a file can be created in folder. The permission bits alone do not
// say so for the superuser, nor on a read-only or refusing file system, so a
// file is actually created and removed again.
bool isWritableFolder(const std::filesystem::path& folder);
// Replaces isWritableFolder in the decision below; empty restores it. Tests
// use it to stand for an installed copy when they run as the superuser.
void setWritableCheck(std::function<bool(const std::filesystem::path&)> check);

// Where there.cfg and device.prf live: the program folder if it is writable,
// else the per-user folder, created when it is missing. Without any per-user
// folder (no HOME) the program folder is kept, and writing there reports why
// it fails.
std::filesystem::path settingsFolder();
// Where pictures and SoundFonts are looked for, in this order: the program
// folder, then the settings folder when that is another one.
std::vector<std::filesystem::path> extraFolders();

}  // namespace platform
