// Pointer movements over the playing surface, its edge strips and the panel
// around it: each movement becomes a pitch bend, a loudness and the note.
#include <QCheckBox>
#include <QStatusBar>
#include <QString>

#include <cstdint>
#include <string>

#include "app/tform1.h"
#include "app/widgets.h"
#include "perform/surfacemapping.h"
#include "perform/ui/correctioncontrols.h"
#include "perform/vidize.h"

namespace {

void showStatus(TForm1& form, std::int32_t loudness, std::int32_t note, std::int32_t cents)
{
    form.StatusBar1->showMessage(QString::fromStdString(surface::StatusText(loudness, note, cents)));
}

// What every movement over the surface does once its bend and loudness are known.
// The correction, when on, changes what sounds and what the status line shows.
void playOnSurface(TForm1& form, std::int32_t bend, std::int32_t loudness)
{
    Performer().SetPitchBend(form.Correction->follow(bend));
    if (const auto aimed = form.Correction->statusText(loudness, bend)) {
        form.StatusBar1->showMessage(*aimed);
    } else {
        const surface::Deviation deviation = surface::DeviationOf(bend, form.UnitsPerSemitone);
        showStatus(form, loudness, form.CentreNote + deviation.semis, deviation.cents);
    }
    Performer().SetExpression(loudness);
    Performer().NoteOn();
}

// The strips play the extremes of the range: the high ones the note R above
// the centre, the low ones the note R below, always without cents.
void playOnStrip(TForm1& form, bool high, std::int32_t loudness)
{
    const std::int32_t bend = high ? midi::kBendMax : 0;
    Performer().SetPitchBend(form.Correction->follow(bend));
    if (const auto aimed = form.Correction->statusText(loudness, bend))
        form.StatusBar1->showMessage(*aimed);
    else
        showStatus(form, loudness, form.CentreNote + (high ? form.RangeSemitones : -form.RangeSemitones), 0);
    Performer().SetExpression(loudness);
    Performer().NoteOn();
}

}  // namespace

void TForm1::Image1MouseMove(QWidget*, int x, int y)
{
    playOnSurface(*this, surface::VerticalBend(y, Image1->height()), surface::Loudness(x, Image1->width()));
}

void TForm1::Image1MouseMove2(QWidget*, int x, int y)
{
    const int h = Image1->height();
    playOnSurface(*this, surface::EasyBend(h - y, h, RangeSemitones), surface::Loudness(x, Image1->width()));
}

void TForm1::XAxisMouseMove(QWidget*, int x, int y)
{
    playOnSurface(*this, surface::HorizontalBend(x, Image1->width()), surface::Loudness(y, Image1->height()));
}

void TForm1::XAxisMouseMove2(QWidget*, int x, int y)
{
    playOnSurface(*this, surface::EasyBend(x, Image1->width(), RangeSemitones), surface::Loudness(y, Image1->height()));
}

void TForm1::Shape1MouseMove(QWidget*, int x, int)
{
    playOnStrip(*this, true, surface::Loudness(x, Image1->width()));
}

void TForm1::Shape2MouseMove(QWidget*, int x, int)
{
    playOnStrip(*this, false, surface::Loudness(x, Image1->width()));
}

void TForm1::Shape3MouseMove(QWidget*, int, int y)
{
    playOnStrip(*this, true, surface::Loudness(y, Image1->height()));
}

void TForm1::Shape4MouseMove(QWidget*, int, int y)
{
    playOnStrip(*this, false, surface::Loudness(y, Image1->height()));
}

void TForm1::Panel1MouseMove(QWidget*, int, int)
{
    EndNote();
}

void TForm1::EndNote()
{
    Performer().NoteOff();
    Correction->release();
    StatusBar1->clearMessage();
}

// Only the grid layer's handler changes; Image1 lies underneath and keeps its own.
void TForm1::XAxToneClick()
{
    const bool horizontal = XAxTone->isChecked();
    const bool easy = EasyMode->isChecked();
    void (TForm1::*handler)(QWidget*, int, int) = horizontal
                                                      ? (easy ? &TForm1::XAxisMouseMove2 : &TForm1::XAxisMouseMove)
                                                      : (easy ? &TForm1::Image1MouseMove2 : &TForm1::Image1MouseMove);
    Image4->OnMouseMove = [this, handler](QWidget* sender, int x, int y) { (this->*handler)(sender, x, y); };
    Shape1->setVisible(!horizontal);
    Shape2->setVisible(!horizontal);
    Shape3->setVisible(horizontal);
    Shape4->setVisible(horizontal);
    DrawGrid();
}
