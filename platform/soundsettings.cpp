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
        ini.addProblem(kSection, kKeepAwake, IniFile::quoted(*word) + " is none of auto, always, never");
}

}  // namespace platform
