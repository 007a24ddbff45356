// The control panel: each control sends its value to the performer as soon as
// it changes, Setup sends them all again, and the bottom letter row of the
// keyboard sets the modulation while the other hand plays.
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QString>

#include <stdexcept>
#include <string>

#include "app/handlerguard.h"
#include "app/strtoint.h"
#include "app/tform1.h"
#include "app/widgets.h"
#include "mididata/messagesink.h"
#include "midispec/midispec.h"
#include "midispec/midivocabulary.h"
#include "perform/surfacemapping.h"
#include "perform/ui/panelentries.h"
#include "perform/vidize.h"

namespace {

constexpr int kDefaultRange = 12;

struct ModulationKey {
    char16_t character;
    int position;
};

// The steps are 14 apart; the last key of the row (and space) jumps to the
// maximum. A key the window takes goes no further: a space never also
// toggles a check box or presses Setup, a "/" never lands in a bank edit.
constexpr ModulationKey kModulationKeys[] = {
    {u'Z', 0},  {u'z', 0},  {u'X', 14},  {u'x', 14},  {u'C', 28},  {u'c', 28},  {u'V', 42},
    {u'v', 42}, {u'B', 56}, {u'b', 56},  {u'N', 70},  {u'n', 70},  {u'M', 84},  {u'm', 84},
    {u',', 98}, {u'<', 98}, {u'.', 112}, {u'>', 112}, {u'/', 127}, {u'?', 127}, {u' ', 127},
};

// Puts a range into the box without running its handler.
void showRange(QComboBox& box, int range)
{
    const QSignalBlocker quiet(box);
    box.setCurrentText(QString::number(range));
}

// The key press being previewed. A press that a control ignores travels on to
// its parents and reaches the window again; it is previewed only once. Any
// other event clears it, so a later press that happens to reuse the address
// is still previewed.
const QEvent* previewedPress = nullptr;

// Characters typed with Ctrl, Alt or Meta are shortcuts, not modulation keys.
bool previewTypedCharacter(TForm1& form, const QKeyEvent& press)
{
    previewedPress = &press;
    const QString text = press.text();
    if (text.size() != 1 || (press.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    bool consumed = false;
    runGuarded([&] { consumed = form.FormKeyPress(text.front()); });
    return consumed;
}

}  // namespace

// A bank still being typed counts as the bank the tone module holds; it is
// checked when the user commits it (perform/ui/panelentries.cpp).
void TForm1::ProgChgChange()
{
    const int program = ProgChg->currentIndex();
    if (program < 0)
        return;  // the instrument list is filled when the window is first shown
    TVidize& performer = Performer();
    const int lsb = committedBank(*BSL, performer.BankLSB);
    const int msb = committedBank(*BSM, performer.BankMSB);
    performer.SetProgram(msb, lsb, program);
}

void TForm1::VolumeChange()
{
    Performer().SetChannelVolume(Volume->value());
}

void TForm1::VelosityChange()
{
    Performer().SetVelocity(Velosity->value());
}

void TForm1::ModurationChange()
{
    Performer().SetModulation(Moduration->value());
}

void TForm1::ReverbChange()
{
    Performer().SetReverb(Reverb->value());
}

void TForm1::ChorusChange()
{
    Performer().SetChorus(Chorus->value());
}

void TForm1::UpDownNoteNoClick()
{
    CentreNote = UpDownNoteNo->Position;
    Performer().SetNote(CentreNote);
    NoteNo->setText(QString::fromStdString(NoteName(CentreNote)));
    DrawGrid();
}

// Run when a range is chosen from the list or a typed one is committed.
void TForm1::BendRangeChange()
{
    int range = 0;
    try {
        range = StrToInt(BendRange->currentText());
    } catch (...) {
        // Said once; the box shows the range in use again.
        showRange(*BendRange, RangeSemitones);
        throw;
    }
    // 0 or less has no semitone width, and more than one data byte cannot be sent.
    if (range < 1 || range > surface::kMaxBendRange) {
        reportMessage("Bad range.");
        showRange(*BendRange, kDefaultRange);
        range = kDefaultRange;
    }
    RangeSemitones = range;
    UnitsPerSemitone = midi::kBendCentre / range;
    Performer().SetPitchBendRange(range);
    DrawGrid();
}

bool TForm1::FormKeyPress(QChar key)
{
    for (const ModulationKey& entry : kModulationKeys) {
        if (key.unicode() == entry.character) {
            Moduration->setValue(entry.position);
            return true;
        }
    }
    return false;
}

// Everything goes out again, even values the tone module was sent last. The
// range is the one in use: a text still being typed has not been checked.
void TForm1::SetupClick()
{
    ProgChgChange();
    Performer().SetPitchBendRange(RangeSemitones);
    Performer().SetVelocity(Velosity->value());
    Performer().SetChannelVolume(Volume->value());
    Performer().SetModulation(Moduration->value());
    Performer().SetReverb(Reverb->value());
    Performer().SetChorus(Chorus->value());
}

// Key preview: every key press meant for a control of this window passes here
// first, and a consumed character never reaches the control.
bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress) {
        previewedPress = nullptr;
        return QWidget::eventFilter(watched, event);
    }
    auto* control = qobject_cast<QWidget*>(watched);
    if (control == nullptr || !isAncestorOf(control) || event == previewedPress)
        return QWidget::eventFilter(watched, event);
    return previewTypedCharacter(*this, *static_cast<QKeyEvent*>(event));
}

// Presses that no control of the window took: the window itself had the focus,
// or a control let the press travel on after its preview.
void TForm1::keyPressEvent(QKeyEvent* event)
{
    if (event != previewedPress && previewTypedCharacter(*this, *event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
