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

#include "app/correctioncontrols.h"
#include "app/handlerguard.h"
#include "app/panelentries.h"
#include "app/strtoint.h"
#include "app/tform1.h"
#include "app/widgets.h"
#include "mididata/messagesink.h"
#include "midispec/midispec.h"
#include "midispec/midivocabulary.h"
#include "perform/session.h"
#include "perform/surfacemapping.h"
#include "perform/vidize.h"

namespace {

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
    TVidize& performer = session_.performer();
    const int lsb = committedBank(*BSL, performer.BankLSB);
    const int msb = committedBank(*BSM, performer.BankMSB);
    performer.SetProgram(msb, lsb, program);
}

void TForm1::VolumeChange()
{
    session_.performer().SetChannelVolume(Volume->value());
}

void TForm1::VelosityChange()
{
    session_.performer().SetVelocity(Velosity->value());
}

void TForm1::ModurationChange()
{
    session_.performer().SetModulation(Moduration->value());
}

void TForm1::ReverbChange()
{
    session_.performer().SetReverb(Reverb->value());
}

void TForm1::ChorusChange()
{
    session_.performer().SetChorus(Chorus->value());
}

void TForm1::UpDownNoteNoClick()
{
    session_.setCentreNote(UpDownNoteNo->Position);
}

// Run when a range is chosen from the list or a typed one is committed.
void TForm1::BendRangeChange()
{
    int range = 0;
    try {
        range = StrToInt(BendRange->currentText());
    } catch (...) {
        // Said once; the box shows the range in use again.
        showRange(*BendRange, session_.axis().rangeSemitones);
        throw;
    }
    // A refused range is said by the session, which takes the default instead.
    if (const int taken = session_.setRange(range); taken != range)
        showRange(*BendRange, taken);
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
    session_.performer().SetPitchBendRange(session_.axis().rangeSemitones);
    session_.performer().SetVelocity(Velosity->value());
    session_.performer().SetChannelVolume(Volume->value());
    session_.performer().SetModulation(Moduration->value());
    session_.performer().SetReverb(Reverb->value());
    session_.performer().SetChorus(Chorus->value());
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

// The panel follows the session: after a part was chosen, a file moved the
// instrument, a MIDI keyboard moved the centre note. Nothing is sent again.
void TForm1::showSessionState()
{
    const TVidize& performer = session_.performer();
    const PitchAxis& axis = session_.axis();
    channnelText->setText(QString::number(performer.Channel + 1));
    {
        const QSignalBlocker quiet(ProgChg);
        if (ProgChg->count() > performer.ProgramNo)
            ProgChg->setCurrentIndex(performer.ProgramNo);
    }
    for (auto [edit, value] : {std::pair{BSM, performer.BankMSB}, std::pair{BSL, performer.BankLSB}}) {
        const QSignalBlocker quiet(edit);
        if (committedBank(*edit, value) != bankNumber(bankText(value)))
            edit->setText(bankText(value));
    }
    {
        const QSignalBlocker quiet(Moduration);
        Moduration->setValue(performer.ModulationDepth);
    }
    UpDownNoteNo->setPosition(axis.centreNote);
    NoteNo->setText(QString::fromStdString(NoteName(axis.centreNote)));
    if (BendRange->currentText().toInt() != axis.rangeSemitones)
        showRange(*BendRange, axis.rangeSemitones);
    showGridKey();
    if (Correction)
        Correction->showChoices();
    DrawGrid();
}
