#include "app/outputcheck.h"

#include "mididata/messagesink.h"
#include "midiout/midigateway.h"
#include "perform/vidize.h"

bool outputReadyToPlay()
{
    const MidiGateway* gateway = Performer().gateway();
    if (gateway != nullptr && gateway->isOpen())
        return true;
    reportMessage("No MIDI output is open, so nothing can be played. Choose one with \"Device...\" "
                  "(right-click outside the square).");
    return false;
}
