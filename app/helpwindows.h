#pragma once
// The two help texts of the window's menu: "How to play" (also F1) and
// "About Orvelline…". Both open as windows of their own that do not block the
// instrument, so the user can read while playing.
#include <QString>

#include <optional>

#include "platform/synthstatus.h"

class QWidget;

// What the About box says: the version, the licence, and what the sound goes
// through (the device, and for the built-in synth its SoundFont and audio output).
QString aboutText(const QString& deviceName, const std::optional<platform::SynthOutputStatus>& synth);
QString howToPlayText();

// Open (or raise) the box, a child of parent named "AboutBox" / "HowToPlayBox".
void showAbout(QWidget* parent, const QString& deviceName, const std::optional<platform::SynthOutputStatus>& synth);
void showHowToPlay(QWidget* parent);
