#pragma once
// The sound settings orvelline.ini holds, in its [Sound] section:
//
//   [Sound]
//   KeepProcessorsAwake=auto   ; auto (on a virtual machine), always or never
#include "platform/inifile.h"
#include "platform/outputoptions.h"

#include <filesystem>
#include <string>
#include <vector>

namespace platform {

// Sets what ini says in options; a value it does not know is a problem of
// ini's and leaves the option as it was.
void readSoundSettings(IniFile& ini, OutputOptions& options);
// Reads orvelline.ini in a settings folder (ProgramFolders::settingsFolder)
// into options; returns the problems of its sound settings alone, the file's
// other lines being their own readers' to tell.
std::vector<std::string> readSoundSettingsIn(const std::filesystem::path& settingsFolder, OutputOptions& options);

}  // namespace platform
