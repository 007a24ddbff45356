#include "perform/correctionsettings.h"

#include <string>

namespace {

const std::string kSection = "Correction";

}  // namespace

CorrectionSettings ReadCorrectionSettings(platform::IniFile& ini)
{
    CorrectionSettings settings;
    if (const auto strength = ini.intValue(kSection, "strength", 0, PitchCorrection::kMaxStrength))
        settings.strength = *strength;
    if (const auto word = ini.value(kSection, "scale")) {
        if (const auto scale = ScaleFromKeyword(*word))
            settings.scale = *scale;
        else
            ini.addProblem(kSection, "scale", platform::IniFile::quoted(*word) + " is not a scale");
    }
    if (const auto glide = ini.intValue(kSection, "glide_ms", 0, PitchCorrection::kMaxGlideMs))
        settings.glideMs = *glide;
    return settings;
}

void WriteCorrectionSettings(platform::IniFile& ini, const CorrectionSettings& settings,
                             const CorrectionSettings& previous)
{
    if (settings.strength != previous.strength)
        ini.setValue(kSection, "strength", std::to_string(settings.strength));
    if (settings.scale != previous.scale)
        ini.setValue(kSection, "scale", ScaleKeyword(settings.scale));
    if (settings.glideMs != previous.glideMs)
        ini.setValue(kSection, "glide_ms", std::to_string(settings.glideMs));
}
