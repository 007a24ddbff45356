#pragma once
// The surface menu's choices for what plays besides the mouse: loudness from
// pen pressure, modulation from pen tilt, loudness from a MIDI controller
// (expression, breath or foot) and MIDI thru, kept in orvelline.ini's
// [Input] section. The choices themselves are the session's.
#include <QObject>

#include <array>

#include "perform/session.h"

class QAction;
class QMenu;
namespace platform {
class IniFile;
}

class InputMenu : public QObject {
public:
    // Adds the submenu "Input" at the end of the surface's menu.
    InputMenu(QMenu& surfaceMenu, Session& session);

    QMenu* Menu = nullptr;           // "Input"
    QAction* PenPressure = nullptr;  // "Loudness from pen pressure"
    QAction* PenTilt = nullptr;      // "Modulation from pen tilt"
    QMenu* Controller = nullptr;     // "Loudness from a MIDI controller"
    // "None", "Expression (11)", "Breath (2)", "Foot (4)"
    std::array<QAction*, 4> ControllerItems{};
    QAction* Thru = nullptr;  // "MIDI thru"

    // The [Input] section of the settings; what cannot be read is left in
    // their problems, and saving sets only what changed since loading.
    void load(platform::IniFile& settings);
    void save(platform::IniFile& settings);

private:
    Session& session_;
    InputChoices loaded_;

    void choose(const InputChoices& choices);
    void showChoices();
};
