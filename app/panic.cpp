// The Panic action (Escape, and the window's menu): silences a tone module
// that keeps sounding, such as an external synthesizer left with a stuck note.
// A song that plays stops as Stop stops it, so that nothing sounds on.
#include "app/correctioncontrols.h"
#include "app/tform1.h"
#include "perform/session.h"

// The module's bend is reset too, so no settling step of the correction may follow.
void TForm1::PanicExecute()
{
    session_.panic();
    Correction->release();
    StopMarquee();
}
