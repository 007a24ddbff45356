#pragma once
// The window's "Practice" menu: your part, count-in, loop and tempo (the last
// three kept in the window's orvelline.ini, section [Practice]), "Save practice take...",
// the intonation report and the guide notes of a run. The run itself, its
// clock and its take are the session's; this class maps clicks onto it.
#include <QObject>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>

#include "midiout/practicechoices.h"

class GuideNotes;
class QAction;
class QActionGroup;
class QLabel;
class QTimer;
class QMenu;
class QStatusBar;
class QWidget;
class Session;
class midiSong;
namespace platform {
class IniFile;
}
class midiTrack;
class IntonationWindow;

class PracticeMenu : public QObject {
    Q_OBJECT

public:
    // Asks for a bar number (1 and up); 0 when cancelled. Tests answer for the user.
    using BarQuestion = std::function<int(const QString& title, int current)>;

    // What the menu needs of the window: the window itself (parent of its
    // dialogs), the grid layer the guide notes are drawn on, the context
    // menu the menu ends, the question for a file name to save to, and the
    // settings it keeps its choices in.
    struct WindowParts {
        QWidget& window;
        QWidget& gridLayer;
        QStatusBar& statusLine;  // shows where a playing song is
        QMenu& contextMenu;
        std::function<QString()> askSaveName;
        platform::IniFile& settings;  // orvelline.ini
    };

    // Adds the menu at the end of the window's context menu and reads the settings.
    PracticeMenu(WindowParts parts, Session& session);
    ~PracticeMenu() override;

    QMenu* Menu = nullptr;        // "Practice"
    QMenu* YourPart = nullptr;    // "Your part": "None" and the tracks holding notes
    QAction* CountIn = nullptr;   // "Count-in", checkable
    QAction* LoopFrom = nullptr;  // "Loop from bar..."
    QAction* LoopTo = nullptr;    // "Loop to bar..."
    QAction* NoLoop = nullptr;    // "No loop"
    QMenu* Tempo = nullptr;       // "Tempo": 50 % to 150 % in steps of 10
    QAction* SaveTake = nullptr;  // "Save practice take..."
    QAction* Report = nullptr;    // "Intonation report..."
    BarQuestion AskBar;
    // Where the playing song is, in the status bar ("Bar 3:2  0:04.5  pass 2").
    QLabel* Position = nullptr;

    const PracticeChoices& choices() const;
    void choosePart(int number);
    void setCountIn(bool on);
    // Refused with a message naming the song's bar count for bounds outside
    // the song or a "to" before "from".
    void setLoop(int from, int to);
    void setTempo(int percent);

    // The window's hooks: a song was read; Play MIDI started a run.
    void songRead();
    void runStarted();

    // Whether a take was recorded during a run and can be saved or reported.
    bool hasTake() const;
    void saveTakeExecute();
    void reportExecute();

private:
    WindowParts window_;
    Session& session_;
    QActionGroup* partGroup_ = nullptr;
    QActionGroup* tempoGroup_ = nullptr;
    GuideNotes* guide_ = nullptr;
    QTimer* positionTimer_ = nullptr;
    std::unique_ptr<IntonationWindow> report_;

    void createMenu();
    void fillParts();
    void updateLoopTexts();
    void showPosition();
    void loadSettings();
    void saveSettings() const;
    void changeChoices(const std::function<void(PracticeChoices&)>& change);
};
