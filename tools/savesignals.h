#pragma once
// A command that writes a file ends on Ctrl-C, SIGTERM or SIGHUP without
// leaving its temporary file behind: the handler removes the temporaries of
// the saves under way (mididata/safesave.h) and ends the program by the
// signal as it would have ended without the handler.
void removeSavesOnSignal();
