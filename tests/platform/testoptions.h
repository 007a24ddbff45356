#pragma once
// Output options for the platform tests, which must not depend on the
// machine they run on.
#include "platform/outputoptions.h"

// The program's options on a machine without an ALSA sequencer or a JACK server.
inline platform::OutputOptions withoutSequencer()
{
    platform::OutputOptions options;
    options.sequencerDevice = "/nonexistent/snd/seq";
    options.jackMidi = false;
    return options;
}
