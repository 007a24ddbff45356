// The Panic action (Escape, and the window's menu): silences a tone module
// that keeps sounding, such as an external synthesizer left with a stuck note.
#include "app/tform1.h"
#include "perform/ui/correctioncontrols.h"
#include "perform/vidize.h"

// The module's bend is reset too, so no settling step of the correction may follow.
void TForm1::PanicExecute()
{
    Performer().Panic();
    Correction->release();
}
