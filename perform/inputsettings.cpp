#include "perform/inputsettings.h"

#include <string>

#include "midispec/midivocabulary.h"

namespace {

const std::string kSection = "Input";

std::optional<bool> flag(platform::IniFile& ini, const std::string& key)
{
    if (const auto value = ini.intValue(kSection, key, 0, 1))
        return *value == 1;
    return std::nullopt;
}

}  // namespace

InputChoices ReadInputChoices(platform::IniFile& ini)
{
    InputChoices choices;
    if (const auto on = flag(ini, "pen_pressure"))
        choices.loudnessFromPen = *on;
    if (const auto on = flag(ini, "pen_tilt"))
        choices.tiltToModulation = *on;
    if (const auto controller = ini.intValue(kSection, "loudness_controller", 0, 127)) {
        if (*controller == midi::kExpression || *controller == midi::kBreath || *controller == midi::kFoot)
            choices.loudnessController = *controller;
        else if (*controller != 0)
            ini.addProblem(kSection, "loudness_controller",
                           "'" + std::to_string(*controller) + "' is not 11 (expression), 2 (breath), 4 (foot) or 0");
    }
    if (const auto on = flag(ini, "midi_thru"))
        choices.midiThru = *on;
    return choices;
}

void WriteInputChoices(platform::IniFile& ini, const InputChoices& choices, const InputChoices& previous)
{
    const auto bit = [](bool on) { return std::string(on ? "1" : "0"); };
    if (choices.loudnessFromPen != previous.loudnessFromPen)
        ini.setValue(kSection, "pen_pressure", bit(choices.loudnessFromPen));
    if (choices.tiltToModulation != previous.tiltToModulation)
        ini.setValue(kSection, "pen_tilt", bit(choices.tiltToModulation));
    if (choices.loudnessController != previous.loudnessController)
        ini.setValue(
            kSection, "loudness_controller",
            std::to_string(choices.loudnessController == InputChoices::kNoController ? 0 : choices.loudnessController));
    if (choices.midiThru != previous.midiThru)
        ini.setValue(kSection, "midi_thru", bit(choices.midiThru));
}
