// The device window's list "MIDI input": the sources the program's MIDI input
// can be connected from, and the one remembered in orvelline.ini.
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QString>

#include "mididata/messagesink.h"
#include "midiout/ui/tmididevice.h"
#include "platform/inifile.h"
#include "platform/midiin.h"

namespace {

// [MidiInput] source=KEY; no key, or an empty one, is "None".
constexpr const char* kSection = "MidiInput";
constexpr const char* kKey = "source";

}  // namespace

void TMidiDevice::createMidiInputList()
{
    // Between the buttons, where the hidden Error Test button would stand.
    MidiInputLabel = new QLabel(QStringLiteral("MIDI input"), this);
    MidiInputLabel->setObjectName(QStringLiteral("MidiInputLabel"));
    MidiInputLabel->setGeometry(116, 244, 64, 17);
    MidiInputList = new QComboBox(this);
    MidiInputList->setObjectName(QStringLiteral("MidiInputList"));
    MidiInputList->setGeometry(182, 240, 162, 25);
    // Source names are long; the open list may reach beyond the narrow box.
    MidiInputList->view()->setMinimumWidth(320);
    MidiInputList->addItem(QStringLiteral("None"));
    MidiInputList->setEnabled(false);
    MidiInputLabel->setBuddy(MidiInputList);
    connect(MidiInputList, &QComboBox::activated, this, &TMidiDevice::MidiInputListChange);
}

void TMidiDevice::setMidiInput(platform::MidiIn* input, platform::IniFile& settings)
{
    midiIn_ = input;
    settings_ = &settings;
    MidiInputList->setEnabled(input != nullptr);
    if (input == nullptr)
        return;
    // A source that is not there now stays remembered: a keyboard plugged in later is found at the next start.
    if (const std::string key = settings.value(kSection, kKey).value_or(""); !key.empty())
        input->connect(key);
    RefreshMidiInputList();
}

void TMidiDevice::RefreshMidiInputList()
{
    if (midiIn_ == nullptr)
        return;
    const QSignalBlocker quiet(MidiInputList);
    midiIn_->open();
    MidiInputList->clear();
    MidiInputList->addItem(QStringLiteral("None"));
    sourceKeys_.clear();
    int current = 0;
    for (const platform::MidiSource& source : midiIn_->sources()) {
        sourceKeys_.push_back(source.key);
        MidiInputList->addItem(QString::fromStdString(source.name));
        if (source.key == midiIn_->connected())
            current = int(sourceKeys_.size());
    }
    MidiInputList->setCurrentIndex(current);
    MidiInputList->setToolTip(QString::fromStdString(midiIn_->status()));
}

void TMidiDevice::MidiInputListChange(int line)
{
    if (midiIn_ == nullptr || line < 0 || line > int(sourceKeys_.size()))
        return;
    const std::string key = line == 0 ? std::string() : sourceKeys_[std::size_t(line - 1)];
    if (midiIn_->connect(key)) {
        // Kept at once: the choice is the user's, whatever ends the program later.
        settings_->setValue(kSection, kKey, key);
        settings_->save();
    } else {
        reportMessage(midiIn_->status());
    }
    RefreshMidiInputList();
}
