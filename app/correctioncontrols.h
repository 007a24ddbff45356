#pragma once
// Pitch correction on the main window: the "Scale" and "Correction" submenus
// of the surface's context menu, the keys 1-5 that choose the strength while
// playing, the timer that sends the settling steps of a glide, the aimed note
// on the status line, and the [Correction] section of orvelline.ini beside
// there.cfg. The correction itself is the session's; this only connects it
// to the window.
#include <QObject>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

#include "perform/correctionsettings.h"
#include "perform/gridlines.h"
#include "perform/pitchcorrection.h"

class QAction;
class QActionGroup;
class QMenu;
class QTimer;
class QWidget;
class Session;

class CorrectionControls : public QObject {
public:
    // The strengths of the menu entries and of the keys 1 to 5.
    static constexpr std::array<int, 5> kStrengths = {0, 25, 50, 75, 100};

    // Adds the two submenus at the end of the surface's menu; the keys count
    // when typed to window or one of its controls.
    CorrectionControls(QWidget& window, Session& session, QMenu& surfaceMenu);
    ~CorrectionControls() override;

    QMenu* ScaleMenu = nullptr;
    std::array<QAction*, kScaleCount> ScaleItems{};  // in the order of kAllScales
    QMenu* CorrectionMenu = nullptr;
    std::array<QAction*, kStrengths.size()> StrengthItems{};  // Off, 25 %, ... 100 %
    QTimer* SettleTimer = nullptr;

    const PitchCorrection& correction() const;

    // A glide wants settling steps: the timer runs until it has landed.
    void startSettling();
    // The note ended: no settling step may follow it.
    void release();

    // Keys 1-5 choose Off, 25, 50, 75 and 100 % when typed to the window or
    // any of its controls except a text field, where digits are typed.
    // Answers whether the key was taken.
    bool keyPress(QChar key, const QObject* receiver);
    void chooseStrength(int percent);
    void chooseScale(ScaleKind scale);
    // What the grid marks: the scale on its root; the chromatic scale, which
    // holds every note, leaves the key's own marks (ScaleTable).
    ScaleMarks gridMarks() const;
    // The Scale and Correction entries tick what the session holds.
    void showChoices();

    // The [Correction] section of the window's orvelline.ini; a bad value is
    // a problem of the file's, and reading never stops the start. Saving sets
    // only what changed since loading, so an untouched key keeps its text.
    void load(platform::IniFile& settings);
    void save(platform::IniFile& settings);

protected:
    // Sees every key press of the application before its receiver does.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
    Session& session_;
    CorrectionSettings loaded_;

    void createMenus(QMenu& surfaceMenu);
    void settleStep();
};
