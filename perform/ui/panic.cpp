// The Panic action (Escape, and the window's menu): silences a tone module
// that keeps sounding, such as an external synthesizer left with a stuck note.
#include "app/tform1.h"
#include "perform/vidize.h"

void TForm1::PanicExecute()
{
    Performer().Panic();
}
