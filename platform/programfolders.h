#pragma once
// Where the program keeps its files. A copy run from a folder the user can
// write keeps there.cfg and device.prf beside itself and finds its pictures
// and SoundFont there. An installed copy, in a folder the user cannot write,
// keeps its settings in the per-user configuration folder instead
// ($XDG_CONFIG_HOME/Orvelline, else ~/.config/Orvelline) and looks for
// pictures and SoundFonts in both places, its own folder first.
//
// The program makes one ProgramFolders value as it starts and hands it to
// whatever reads or writes its files. Whether the program folder is writable
// is decided when the value is made and kept in it, so the settings never
// move between two files within one run.
#include <filesystem>
#include <functional>
#include <vector>

namespace platform {

// True when a file can be created in folder. The permission bits alone do not
// say so for the superuser, nor on a read-only or refusing file system, so a
// file is actually created and removed again.
bool isWritableFolder(const std::filesystem::path& folder);

using WritableCheck = std::function<bool(const std::filesystem::path&)>;

class ProgramFolders {
public:
    // The folders of a program run from program, with user as its per-user
    // folder (empty: none, as without HOME); isWritable decides, here and
    // once, whether the program folder takes the settings. Tests stand in
    // for an installed copy with a check that answers false.
    static ProgramFolders decide(std::filesystem::path program, std::filesystem::path user,
                                 const WritableCheck& isWritable = isWritableFolder);
    // The folders of the running process: program (empty: the folder of its
    // executable) and the per-user folder its environment names.
    static ProgramFolders ofThisProcess(const std::filesystem::path& program = {});

    const std::filesystem::path& program() const { return program_; }
    const std::filesystem::path& user() const { return user_; }

    // Where there.cfg, device.prf and orvelline.ini live: the program folder
    // if it is writable, else the per-user folder, created when it is
    // missing. Without any per-user folder the program folder is kept, and
    // writing there reports why it fails.
    std::filesystem::path settingsFolder() const;
    // Where pictures and SoundFonts are looked for, in this order: the program
    // folder, then the settings folder when that is another one. Looking
    // makes no folder.
    std::vector<std::filesystem::path> extraFolders() const;

private:
    ProgramFolders(std::filesystem::path program, std::filesystem::path user, bool programWritable);
    std::filesystem::path chosenSettingsFolder() const;

    std::filesystem::path program_;
    std::filesystem::path user_;
    bool programWritable_ = true;
};

// The folder of the running executable; empty when it cannot be told.
std::filesystem::path executableFolder();
// The per-user folder the environment names (HOME, else the password entry's
// home, under XDG_CONFIG_HOME's rules); empty when there is none.
std::filesystem::path userFolderFromEnvironment();
// The per-user folder for these values of XDG_CONFIG_HOME and HOME (either
// may be null): a relative XDG_CONFIG_HOME is ignored, as the XDG rules ask.
// Empty when neither names an absolute folder.
std::filesystem::path userFolderFor(const char* xdgConfigHome, const char* home);

}  // namespace platform
