#pragma once
// The device window, in which the user picks the MIDI output device from a
// list for the gateway through which every message leaves the program. The
// session owns the gateway; the window shows and chooses devices. The
// program has one, MidiDevice, created right after the main window and
// destroyed at exit.
//
// Creating the window starts the gateway (timer period, device.prf, the
// remembered device) and shows the window modally when that device does not
// open. Destroying it stops the player, closes the device and writes
// device.prf with the window's position. The main window shows it modally
// from its "Device..." menu entry.
//
// Beside the designed controls, the list "MIDI input" chooses the source the
// program's MIDI input is connected from (midiout/ui/midiinputlist.cpp); the
// choice is kept in orvelline.ini and connected again at the next start.
#include <QDialog>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class MidiGateway;
class QComboBox;
class QAction;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QHideEvent;
class QShowEvent;
class QTimer;

namespace platform {
class IniFile;
class MidiIn;
}  // namespace platform

class TMidiDevice : public QDialog {
    Q_OBJECT

public:
    // How the window shows itself when the remembered device fails at
    // creation; empty means exec(). Tests pass one that does not block.
    using ModalShow = std::function<void(TMidiDevice&)>;

    // settingsFolder is where device.prf is read at creation and written at
    // destruction (platform::ProgramFolders::settingsFolder).
    TMidiDevice(MidiGateway& gateway, const std::filesystem::path& settingsFolder, QWidget* parent = nullptr,
                ModalShow modalShow = {});
    ~TMidiDevice() override;

    MidiGateway& gateway() { return gateway_; }
    const MidiGateway& gateway() const { return gateway_; }

    QFrame* Panel1 = nullptr;
    QListWidget* DevSummListBox1 = nullptr;
    QPushButton* OpenButton1 = nullptr;
    QPushButton* ErrorTestButton1 = nullptr;
    QPushButton* CloseButton = nullptr;
    QAction* MIDIOpen = nullptr;
    // The built-in synth's output, latency and underruns while it is open;
    // refreshed while the window shows.
    QLabel* AudioStatus = nullptr;
    // "None" first, then the system's MIDI sources; choosing one connects it.
    // Disabled until the program's input is handed over.
    QLabel* MidiInputLabel = nullptr;
    QComboBox* MidiInputList = nullptr;

    // The program's MIDI input, which outlives the window; connects the source
    // orvelline.ini remembers, when it is there.
    void setMidiInput(platform::MidiIn* input, platform::IniFile& settings);

public slots:
    void MIDIOpenExecute();
    void MIDIOpenUpdate();
    void CloseButtonClick();
    void ErrorTestButton1Click();
    void MidiInputListChange(int line);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    MidiGateway& gateway_;
    std::filesystem::path settingsFolder_;
    platform::IniFile* settings_ = nullptr;  // orvelline.ini, where the input's source is kept
    QTimer* statusTimer_ = nullptr;
    platform::MidiIn* midiIn_ = nullptr;
    std::vector<std::string> sourceKeys_;  // of the list's lines after "None"

    void createControls();
    void createActions();
    void connectHandlers();

    void FormCreate(const ModalShow& modalShow);
    void FormShow();
    void FormDestroy();
    void RefreshDeviceList();
    void RefreshAudioStatus();
    void createMidiInputList();
    void RefreshMidiInputList();
    // The list line the user chose, or -1.
    int selectedLine() const;
};

// The program's one device window; null before it is created and after it is destroyed.
extern TMidiDevice* MidiDevice;
