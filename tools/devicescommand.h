#pragma once
// "orvelline-midi devices": the MIDI output devices as the device window lists
// them, the default route first, each line led by the number that
// "play --device N" takes (-1 for the default route).
#include <iosfwd>

int runDevicesCommand(std::ostream& out);
