#include "platform/soundsettings.h"

#include <string>

namespace platform {

namespace {

const std::string kSection = "Sound";
const std::string kKeepAwake = "KeepProcessorsAwake";

}  // namespace

void readSoundSettings(IniFile& ini, OutputOptions& options)
{
    const std::optional<std::string> word = ini.value(kSection, kKeepAwake);
    if (!word)
        return;
    if (!keepAwakeFromWord(*word, options.keepProcessorsAwake))
        ini.addProblem(kSection, kKeepAwake, "'" + *word + "' is none of auto, always, never");
}

std::vector<std::string> readSoundSettingsIn(const std::filesystem::path& settingsFolder, OutputOptions& options)
{
    IniFile ini = IniFile::load(IniFile::pathIn(settingsFolder));
    const auto before = std::ptrdiff_t(ini.problems().size());
    readSoundSettings(ini, options);
    return {ini.problems().begin() + before, ini.problems().end()};
}

}  // namespace platform
