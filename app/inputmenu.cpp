#include "app/inputmenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

#include "app/handlerguard.h"
#include "midispec/midivocabulary.h"
#include "perform/inputsettings.h"
#include "platform/inifile.h"

namespace {

constexpr std::array<int, 4> kControllers = {InputChoices::kNoController, midi::kExpression, midi::kBreath,
                                             midi::kFoot};
const char* const kControllerCaptions[] = {"None", "Expression (11)", "Breath (2)", "Foot (4)"};

QAction* checkable(QMenu& menu, const char* caption)
{
    QAction* action = menu.addAction(QString::fromUtf8(caption));
    action->setCheckable(true);
    return action;
}

}  // namespace

InputMenu::InputMenu(QMenu& surfaceMenu, Session& session) : QObject(&surfaceMenu), session_(session)
{
    surfaceMenu.addSeparator();
    Menu = surfaceMenu.addMenu(QStringLiteral("Input"));
    PenPressure = checkable(*Menu, "Loudness from pen pressure");
    PenTilt = checkable(*Menu, "Modulation from pen tilt");
    Controller = Menu->addMenu(QStringLiteral("Loudness from a MIDI controller"));
    auto* group = new QActionGroup(Controller);
    for (std::size_t i = 0; i < kControllers.size(); ++i) {
        ControllerItems[i] = checkable(*Controller, kControllerCaptions[i]);
        group->addAction(ControllerItems[i]);
        connect(ControllerItems[i], &QAction::triggered, this, [this, i] {
            InputChoices now = session_.inputChoices();
            now.loudnessController = kControllers[i];
            choose(now);
        });
    }
    Thru = checkable(*Menu, "MIDI thru");
    connect(PenPressure, &QAction::toggled, this, [this](bool on) {
        InputChoices now = session_.inputChoices();
        now.loudnessFromPen = on;
        choose(now);
    });
    connect(PenTilt, &QAction::toggled, this, [this](bool on) {
        InputChoices now = session_.inputChoices();
        now.tiltToModulation = on;
        choose(now);
    });
    connect(Thru, &QAction::toggled, this, [this](bool on) {
        InputChoices now = session_.inputChoices();
        now.midiThru = on;
        choose(now);
    });
    showChoices();
}

void InputMenu::choose(const InputChoices& choices)
{
    runGuarded([&] { session_.setInputChoices(choices); });
    showChoices();
}

void InputMenu::showChoices()
{
    const InputChoices& now = session_.inputChoices();
    const QSignalBlocker pressure(PenPressure), tilt(PenTilt), thru(Thru);
    PenPressure->setChecked(now.loudnessFromPen);
    PenTilt->setChecked(now.tiltToModulation);
    Thru->setChecked(now.midiThru);
    for (std::size_t i = 0; i < kControllers.size(); ++i)
        ControllerItems[i]->setChecked(kControllers[i] == now.loudnessController);
}

void InputMenu::load(platform::IniFile& settings)
{
    loaded_ = ReadInputChoices(settings);
    choose(loaded_);
}

void InputMenu::save(platform::IniFile& settings)
{
    WriteInputChoices(settings, session_.inputChoices(), loaded_);
}
