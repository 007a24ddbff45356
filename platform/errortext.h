#pragma once
// One text for each status code of the MIDI output, for a message box.
#include <string>

#include "platform/status.h"

namespace platform {

std::string midiOutGetErrorText(MmResult status);

}  // namespace platform
