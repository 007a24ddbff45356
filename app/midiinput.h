#pragma once
// The program's MIDI input, wired to the main window: what arrives on the
// input's own threads waits in its ring (platform/midiin.h), an eventfd wakes
// the window thread, and there each batch goes to the session message by
// message in the order it came, through Session::midiIn, as the window's own
// controls would. The panel and the grid are shown once after a batch.
#include <QObject>

#include <memory>

#include "platform/midiin.h"

class QSocketNotifier;
class TForm1;

class MidiInput : public QObject {
    Q_OBJECT

public:
    // Opens the input's ports; options.wake is the input's own.
    explicit MidiInput(TForm1& form, platform::MidiIn::Options options = {});
    ~MidiInput() override;

    platform::MidiIn& input() { return *input_; }

private:
    TForm1& form_;
    int wake_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    std::unique_ptr<platform::MidiIn> input_;

    void take();
};
