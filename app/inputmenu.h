#pragma once
// The surface menu's choices for what plays besides the mouse: loudness from
// pen pressure, modulation from pen tilt, loudness from a MIDI controller
// (expression, breath or foot) and MIDI thru, kept in orvelline.ini's
// [Input] section. The choices themselves are the session's.
#include <QObject>

#include <array>
#include <filesystem>

#include "perform/session.h"

class QAction;
class QMenu;

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

    // iniPath is orvelline.ini. Loading says what of this section could not
    // be read (the rest of the file is reported with the correction's
    // section); saving writes only what changed since loading.
    void load(const std::filesystem::path& iniPath);
    void save(const std::filesystem::path& iniPath);

private:
    Session& session_;
    InputChoices loaded_;

    void choose(const InputChoices& choices);
    void showChoices();
};
