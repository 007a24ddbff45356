// Pointer movements over the playing surface, its edge strips and the panel
// around it: each movement is handed to the session as a sample of the
// pointer, and the status line shows what it answers.
#include <QCheckBox>
#include <QStatusBar>
#include <QString>

#include "app/correctioncontrols.h"
#include "app/tform1.h"
#include "app/widgets.h"
#include "perform/session.h"

namespace {

void play(TForm1& form, PointerSample sample)
{
    sample.width = form.Image1->width();
    sample.height = form.Image1->height();
    const SurfaceShow show = form.session().pointerMoved(sample);
    form.StatusBar1->showMessage(QString::fromStdString(show.status));
    if (show.settling)
        form.Correction->startSettling();
}

void play(TForm1& form, SurfaceArea area, PitchMapping mapping, int x, int y)
{
    PointerSample sample;
    sample.area = area;
    sample.mapping = mapping;
    sample.x = x;
    sample.y = y;
    play(form, sample);
}

constexpr PitchMapping kUpright{false, false};
constexpr PitchMapping kUprightEasy{false, true};
constexpr PitchMapping kAcross{true, false};
constexpr PitchMapping kAcrossEasy{true, true};

}  // namespace

void TForm1::Image1MouseMove(QWidget*, int x, int y)
{
    play(*this, SurfaceArea::Square, kUpright, x, y);
}

void TForm1::Image1MouseMove2(QWidget*, int x, int y)
{
    play(*this, SurfaceArea::Square, kUprightEasy, x, y);
}

void TForm1::XAxisMouseMove(QWidget*, int x, int y)
{
    play(*this, SurfaceArea::Square, kAcross, x, y);
}

void TForm1::XAxisMouseMove2(QWidget*, int x, int y)
{
    play(*this, SurfaceArea::Square, kAcrossEasy, x, y);
}

// The strips play the extremes of the range: the high ones the note R above
// the centre, the low ones the note R below; loudness runs along the strip.
void TForm1::Shape1MouseMove(QWidget*, int x, int)
{
    play(*this, SurfaceArea::HighStrip, kUpright, x, 0);
}

void TForm1::Shape2MouseMove(QWidget*, int x, int)
{
    play(*this, SurfaceArea::LowStrip, kUpright, x, 0);
}

void TForm1::Shape3MouseMove(QWidget*, int, int y)
{
    play(*this, SurfaceArea::HighStrip, kAcross, 0, y);
}

void TForm1::Shape4MouseMove(QWidget*, int, int y)
{
    play(*this, SurfaceArea::LowStrip, kAcross, 0, y);
}

// A finger always plays, and its lift ends the note as leaving the surface
// does. A pen plays as the pointer does (Qt makes a mouse movement of it)
// unless its pressure or tilt was chosen to play too.
bool TForm1::Image4Stylus(QWidget*, const StylusPoint& point)
{
    const InputChoices& choices = session_.inputChoices();
    if (!point.finger && !choices.loudnessFromPen && !choices.tiltToModulation)
        return false;
    if (point.lifted) {
        if (point.finger || choices.loudnessFromPen)
            EndNote();
        return true;
    }
    PointerSample sample;
    sample.mapping = {XAxTone->isChecked(), EasyMode->isChecked()};
    sample.x = point.x;
    sample.y = point.y;
    sample.source = point.finger ? PointerSource::Touch : PointerSource::Pen;
    sample.pressure = point.pressure;
    sample.tiltX = point.tiltX;
    sample.tiltY = point.tiltY;
    play(*this, sample);
    return true;
}

void TForm1::Panel1MouseMove(QWidget*, int, int)
{
    EndNote();
}

void TForm1::EndNote()
{
    session_.leaveSurface();
    Correction->release();
    StatusBar1->clearMessage();
}

// Only the grid layer's handler changes; Image1 lies underneath and keeps its own.
void TForm1::XAxToneClick()
{
    const bool horizontal = XAxTone->isChecked();
    const bool easy = EasyMode->isChecked();
    session_.setSurfaceLayout(horizontal);
    using Handler = void (TForm1::*)(QWidget*, int, int);
    const Handler vertical = easy ? &TForm1::Image1MouseMove2 : &TForm1::Image1MouseMove;
    const Handler across = easy ? &TForm1::XAxisMouseMove2 : &TForm1::XAxisMouseMove;
    const Handler handler = horizontal ? across : vertical;
    Image4->OnMouseMove = [this, handler](QWidget* sender, int x, int y) { (this->*handler)(sender, x, y); };
    Shape1->setVisible(!horizontal);
    Shape2->setVisible(!horizontal);
    Shape3->setVisible(horizontal);
    Shape4->setVisible(horizontal);
    DrawGrid();
}
