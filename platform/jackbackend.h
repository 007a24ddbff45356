#pragma once
// JACK MIDI input ports of other clients as MIDI output devices, with the
// technology "JACK MIDI". Opening one registers the output port "midi_out" of
// a client "Orvelline" and connects it there. Without a JACK server the list
// is empty and nothing fails; a server is never started.
//
// A song's events are placed to the frame: its time line starts two periods
// after the first frame of the process cycle that meets its start, and each
// event is written in the cycle and at the offset that its due time, counted
// from that start at the server's sample rate, gives. So the
// spacing of the events is that of the song however late the player woke,
// as long as it woke within its lookahead. Live messages go out at the start
// of the next cycle. When the server goes away the device closes itself,
// says so, and takes nothing more.
#include "platform/backend.h"
#include "platform/outputoptions.h"

#include <memory>

namespace platform {

std::unique_ptr<MidiBackend> makeJackBackend(const OutputOptions& options);

}  // namespace platform
