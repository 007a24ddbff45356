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
#include "perform/surfacemapping.h"
#include "perform/vidize.h"

namespace {

constexpr int kDefaultRange = 12;

// A bank select byte, or -1 to leave that message out. Anything else would
// put a status byte where the tone module expects data.
int bankNumber(const QLineEdit& edit)
{
    const int bank = StrToInt(edit.text());
    if (bank < -1 || bank > 127)
        throw std::runtime_error("'" + edit.text().toStdString() +
                                 "' is not a valid bank number (0-127, or -1 to leave it out)");
    return bank;
}

struct ModulationKey {
    char16_t character;
    int position;
    bool consumed;
};

// The steps are 14 apart; the last key of the row (and space) jumps to the
// maximum and still reaches the focused control.
constexpr ModulationKey kModulationKeys[] = {
    {u'Z', 0, true},    {u'z', 0, true},    {u'X', 14, true},   {u'x', 14, true},   {u'C', 28, true},
    {u'c', 28, true},   {u'V', 42, true},   {u'v', 42, true},   {u'B', 56, true},   {u'b', 56, true},
    {u'N', 70, true},   {u'n', 70, true},   {u'M', 84, true},   {u'm', 84, true},   {u',', 98, true},
    {u'<', 98, true},   {u'.', 112, true},  {u'>', 112, true},  {u'/', 127, false}, {u'?', 127, false},
    {u' ', 127, false},
};

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

void TForm1::ProgChgChange()
{
    const int program = ProgChg->currentIndex();
    const int lsb = bankNumber(*BSL);
    const int msb = bankNumber(*BSM);
    if (program < 0)
        return;  // the instrument list is filled when the window is first shown
    Performer().SetProgram(msb, lsb, program);
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

void TForm1::BendRangeChange()
{
    int range = StrToInt(BendRange->currentText());
    // 0 or less has no semitone width, and more than one data byte cannot be sent.
    if (range < 1 || range > surface::kMaxBendRange) {
        reportMessage("Bad range.");
        // Putting the text back must not run this handler a second time.
        const QSignalBlocker quiet(BendRange);
        BendRange->setCurrentText(QString::number(kDefaultRange));
        range = kDefaultRange;
    }
    RangeSemitones = range;
    UnitsPerSemitone = 8192 / range;
    Performer().SetPitchBendRange(range);
    DrawGrid();
}

bool TForm1::FormKeyPress(QChar key)
{
    for (const ModulationKey& entry : kModulationKeys) {
        if (key.unicode() == entry.character) {
            Moduration->setValue(entry.position);
            return entry.consumed;
        }
    }
    return false;
}

// Everything goes out again, even values the tone module was sent last; the
// surface's range fields and the grid stay as they are.
void TForm1::SetupClick()
{
    ProgChgChange();
    Performer().SetPitchBendRange(StrToInt(BendRange->currentText()));
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
