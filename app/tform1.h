#pragma once
// The main window: the playing surface with its grid, the control panel, the
// recorder buttons, the scrolling status text and the two context menus. The
// window keeps only what a window does; its handlers turn pixels, keys and
// clicks into calls of the session (perform/session.h), which owns the
// instrument's state, and show what comes back.
//
// The class is large because the window is; its handlers live in one file per
// concern:
//   app/tform1.cpp             construction of the controls, menus and actions
//   app/startup.cpp            FormCreate, FormShow, FormClose, FormDestroy, resize, Device...
//   app/settings.cpp           there.cfg
//   app/marquee.cpp            the scrolling status text
//   app/filecommands.cpp       Read MIDI file, Play MIDI, Save as MIDI file, Setup
//   app/picturemenu.cpp        pictures, cursors and grid colours
//   app/surface.cpp            pointer movements over the surface and strips
//   app/panel.cpp              the panel's controls and the modulation keys
//   app/panelentries.cpp       the bank edits and the range box, checked when committed
//   app/noteguard.cpp          ends the note on every way the pointer leaves the surface
//   app/grid.cpp               the grid layer and the Grid Key menu
//   app/correctioncontrols.cpp pitch correction: Scale and Correction menus, keys 1-5
//   app/recorder.cpp           Rec.Start, Rec.End, Replay, Stop
//   app/panic.cpp              Panic
//   app/debugbutton.cpp        the hidden Debug button
//   app/desktopextras.cpp      what a desktop program adds: shortcuts, Tab order,
//                              help, recent files, dropped files, hints
//   app/exportaudio.cpp        Export audio
//   app/windowplace.cpp        the window's place and maximised state
#include <QWidget>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/programobjects.h"
#include "platform/programfolders.h"

namespace platform {
class IniFile;
}

class CorrectionControls;
class InputMenu;
struct StylusPoint;
class Session;
class WindowListener;
class NoteGuard;
class PictureBox;
class PracticeMenu;
class ShapeStrip;
class TrackingPanel;
class UpDownButtons;
class QAction;
class QActionGroup;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class RecentFiles;
class QPushButton;
class QScrollBar;
class QStatusBar;
class QTimer;
class QToolButton;

class TForm1 : public QWidget {
    Q_OBJECT

public:
    // Asks the user for a file; an empty answer means cancelled. Tests replace
    // the dialogs with their own answers.
    using FileQuestion = std::function<QString()>;

    // Asks what becomes of a take not saved yet before it would be lost.
    enum class TakeAnswer { Save, Discard, Cancel };
    using TakeQuestion = std::function<TakeAnswer()>;
    // Asks, at the start, what becomes of a take an earlier run kept unsaved.
    enum class KeptTakeAnswer { Restore, Discard };
    using KeptTakeQuestion = std::function<KeptTakeAnswer()>;

    // folders says where the program's files are (there.cfg, the pictures);
    // the window keeps them for its whole life. The session is the instrument
    // the window shows, and settings the program's orvelline.ini, whose parts
    // read their sections as the window is built and shown and write them
    // back as it closes; both outlive the window.
    TForm1(const platform::ProgramFolders& folders, Session& session, platform::IniFile& settings,
           QWidget* parent = nullptr);
    ~TForm1() override;

    // --- The playing surface ---
    TrackingPanel* Panel1 = nullptr;
    PictureBox* Image1 = nullptr;  // the background picture
    PictureBox* Image4 = nullptr;  // the grid layer; white is transparent
    ShapeStrip* Shape1 = nullptr;  // top strip
    ShapeStrip* Shape2 = nullptr;  // bottom strip
    ShapeStrip* Shape3 = nullptr;  // right strip, hidden at start
    ShapeStrip* Shape4 = nullptr;  // left strip, hidden at start
    QStatusBar* StatusBar1 = nullptr;

    // --- The control panel ---
    QFrame* Panel2 = nullptr;
    QLineEdit* BSM = nullptr;
    QLineEdit* BSL = nullptr;
    QComboBox* ProgChg = nullptr;
    QScrollBar* Volume = nullptr;
    QLabel* NoteNo = nullptr;
    UpDownButtons* UpDownNoteNo = nullptr;
    QLabel* channnelText = nullptr;
    QScrollBar* Velosity = nullptr;
    QComboBox* BendRange = nullptr;
    QPushButton* Setup = nullptr;
    QScrollBar* Moduration = nullptr;
    QLabel* Label7 = nullptr;
    QScrollBar* Reverb = nullptr;
    QScrollBar* Chorus = nullptr;
    QCheckBox* EasyMode = nullptr;
    QCheckBox* XAxTone = nullptr;
    QToolButton* SpeedButton1 = nullptr;  // Rec.Start
    QToolButton* recEndButton = nullptr;
    QToolButton* recReplay = nullptr;
    QToolButton* StopButton = nullptr;
    QPushButton* Button1 = nullptr;  // "Debug", never visible

    // --- The scrolling status text ---
    QFrame* Panel3 = nullptr;
    PictureBox* Image2 = nullptr;  // 65 x 17, drawn at its own size
    QTimer* Timer1 = nullptr;

    // --- Actions ---
    QAction* ArecStart = nullptr;
    QAction* ArecEnd = nullptr;
    QAction* ArePlay = nullptr;
    QAction* Stop = nullptr;
    QAction* OpenMIDI = nullptr;
    QAction* PlayMIDI = nullptr;
    QAction* SaveMIDI = nullptr;
    QAction* Panic = nullptr;        // "Panic", Escape: silences the tone module
    QAction* ExportAudio = nullptr;  // "Export audio...", Ctrl+E (app/exportaudio.cpp)

    // --- Menus ---
    QMenu* PopupMenu1 = nullptr;  // the window's context menu
    QAction* Device1 = nullptr;
    QMenu* PopupMenu2 = nullptr;  // the surface's context menu
    QMenu* LoadImage2 = nullptr;
    QMenu* Cursor1 = nullptr;
    QAction* N11 = nullptr;
    QAction* N21 = nullptr;
    QAction* N31 = nullptr;
    QMenu* GridColor2 = nullptr;
    QAction* White2 = nullptr;
    QAction* Black2 = nullptr;
    QAction* Red2 = nullptr;
    QAction* Blue2 = nullptr;
    QAction* Green2 = nullptr;
    QAction* Yellow2 = nullptr;
    QMenu* GridKey1 = nullptr;
    QActionGroup* GridKeyGroup = nullptr;
    // The fifteen Grid Key items in menu order: Cnob1, Gx11, Fbx11, ... Cbbx71.
    QAction* GridKeyItems[15] = {};
    // Pitch correction: the Scale and Correction submenus after Grid Key, the
    // keys 1-5 and orvelline.ini (app/correctioncontrols.h).
    std::unique_ptr<CorrectionControls> Correction;
    // Pen, MIDI controller and MIDI thru choices, after them (app/inputmenu.h).
    InputMenu* Input = nullptr;

    // --- Added for the desktop, after the designed entries (app/desktopextras.cpp) ---
    QAction* Surface1 = nullptr;    // "Surface": the picture's own menu, in the window's menu
    QMenu* RecentFiles1 = nullptr;  // "Recent files": the last five files read
    QAction* HowToPlay = nullptr;   // "How to play", F1
    QAction* About1 = nullptr;      // "About Orvelline…"
    QAction* Quit1 = nullptr;       // "Quit", Ctrl+Q: closes the window as its close button does
    QAction* MenuKey = nullptr;     // Shift+F10 and the Menu key open the context menu

    FileQuestion OpenDialog1;    // "MIDI files|*.mid"
    FileQuestion SaveDialog1;    // "MIDI files|*.mid", extension mid, asks before overwriting
    FileQuestion ExportDialog1;  // WAV or FLAC files, extension wav, asks before overwriting
    // "Save", "Discard" or "Cancel" for an unsaved take; tests answer for the user.
    TakeQuestion AskAboutTake;
    // "Restore" or "Discard" for the take the last run kept; tests answer for the user.
    KeptTakeQuestion AskAboutKeptTake;

    Session& session() const { return session_; }
    // Problems found while the other windows were made (device.prf), shown
    // with the settings files' own in the one start-up message.
    void addStartProblems(const std::vector<std::string>& problems)
    {
        startProblems_.insert(startProblems_.end(), problems.begin(), problems.end());
    }
    WindowListener& sessionListener() const { return *listener_; }
    // Shows what the session holds now: channel, instrument and banks,
    // centre note, range, the Grid Key tick and the grid.
    void showSessionState();
    // Whether an unsaved take may go: asks, and saves when the user says so.
    // False when the user cancelled, or the save did not succeed.
    bool takeMayGo();
    // What SIGTERM and SIGHUP do (app/closesignals.h): the window closes with
    // its settings written as on a close, but asks nothing, since no one may
    // be there to answer (a session logging out): an unsaved take stays in
    // its recovery file for the next start. Then the program ends.
    void closeWithoutQuestions();

    // --- Fields ---
    QString AppFolder;  // with a trailing separator
    // orvelline.ini, beside there.cfg.
    platform::IniFile& settings() const { return settings_; }
    std::uint32_t GridColor = 255;  // 0x00BBGGRR
    QString ImageFile;
    QString CursorName;
    QString GridColorName;
    QString GridKeyName;
    QString MarqueeText;
    std::int32_t MarqueeWidth = 0;
    std::int32_t MarqueeX = 0;
    std::int32_t MarqueeY = 2;

    // --- Start-up, settings and shut-down ---
    void FormCreate();
    void FormShow();
    // Answers false when the user kept the window open (an unsaved take, cancelled).
    bool FormCloseQuery();
    void FormClose();
    void FormDestroy();
    void FormResize();
    void ReadSettings();
    void WriteSettings();
    void Device1Click();

    // --- Playing surface ---
    void Image1MouseMove(QWidget* sender, int x, int y);
    void Image1MouseMove2(QWidget* sender, int x, int y);
    void XAxisMouseMove(QWidget* sender, int x, int y);
    void XAxisMouseMove2(QWidget* sender, int x, int y);
    void Shape1MouseMove(QWidget* sender, int x, int y);
    void Shape2MouseMove(QWidget* sender, int x, int y);
    void Shape3MouseMove(QWidget* sender, int x, int y);
    void Shape4MouseMove(QWidget* sender, int x, int y);
    void Panel1MouseMove(QWidget* sender, int x, int y);
    // A pen or a finger on the square; answers whether it played.
    bool Image4Stylus(QWidget* sender, const StylusPoint& point);
    // What leaving the surface does: the note ends and the status line empties.
    void EndNote();
    void XAxToneClick();

    // --- Control panel and keys ---
    void ProgChgChange();
    void VolumeChange();
    void VelosityChange();
    void ModurationChange();
    void ReverbChange();
    void ChorusChange();
    void UpDownNoteNoClick();
    void BendRangeChange();
    // Answers whether the character is consumed, so the focused control never sees it.
    bool FormKeyPress(QChar key);
    void SetupClick();

    // --- Grid ---
    void DrawGrid();
    void DrawVerticalGrid();
    void DrawHorizontalGrid();
    // What each Grid Key item does; index into GridKeyItems.
    void GridKeyClick(int index);
    void showGridKey();

    // --- Recorder ---
    void ArecStartExecute();
    void ArecEndExecute();
    void ArePlayExecute();
    void StopExecute();
    // Enabled states, evaluated whenever the application is idle.
    void UpdateActions();

    // --- Panic ---
    void PanicExecute();

    // --- MIDI file commands ---
    void OpenMIDIExecute();
    // Reads the file as "Read MIDI file" does with the file chosen; raises an
    // error naming the file when it cannot be read.
    void ReadMidiFile(const QString& path);
    void PlayMIDIExecute();
    void SaveMIDIExecute();
    void SendSongReset();
    // Play MIDI needs a song read, Save as MIDI file and Export audio a recording.
    void UpdateFileActions();
    // Renders the take into the audio file the user names, with a progress
    // dialog that can cancel.
    void ExportAudioExecute();

    // --- Pictures, cursors and grid colours ---
    // Loads the named cursor of the program's resources ("CURSOR1", "CURSOR2",
    // "NEKONOTE") and makes it the cursor of the grid layer and the strips.
    void InstallCursor1(const QString& resourceName);
    void PopupMenu1Popup();
    void dummy1Click(QAction* entry);
    // Shows the picture file on the surface and colours the strips after its
    // corners; raises the loader's error and keeps the old picture when it
    // cannot be loaded.
    void LoadSurfacePicture(const QString& file);
    void ColorEdges();
    void N11Click();
    void N21Click();
    void N31Click();
    void White1Click();
    void Red1Click();
    void Yellow1Click();
    void Black1Click();
    void Green1Click();
    void Blue1Click();

    // --- Status marquee ---
    void ShowMarquee(const QString& text);
    void StopMarquee();
    void Timer1Timer();

    // --- Debug window ---
    void Button1Click();

    // --- Practice with a song (app/practicemenu.cpp): your part, count-in,
    // loop, tempo, practice takes and the intonation report ---
    PracticeMenu* Practice = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    platform::ProgramFolders folders_;
    Session& session_;
    std::unique_ptr<WindowListener> listener_;
    platform::IniFile& settings_;
    // What ReadSettings found wrong in there.cfg, said with the problems of
    // orvelline.ini in one message once the window stands.
    std::vector<std::string> startProblems_;
    bool shown_ = false;
    std::unique_ptr<NoteGuard> noteGuard_;
    RecentFiles* recentFiles_ = nullptr;
    bool closedWithoutQuestions_ = false;

    // The recovery file of an unsaved take (app/unsavedtake.cpp): where it
    // is, the timer that keeps it up to date, and the offer at the start.
    void keepUnsavedTakes();
    void offerKeptTake();

    void createDesktopExtras();
    void reportStartProblems();
    void createExportAudio();
    void showSongKey();
    void fileWasRead(const QString& path);

    void createSurface();
    void createPanel();
    void createActions();
    void createMenus();
    void connectHandlers();
};

// The program's main window; null before it is created and after it is destroyed.
extern TForm1* Form1;
