#pragma once
// An ALSA sequencer port opened as a MIDI output: a client "Orvelline" with
// one readable port connected to the chosen destination (other programs may
// subscribe to it as well). Messages are encoded into sequencer events;
// live ones go out at once. With songs scheduled, the client has a queue of
// its own, started afresh at each song's start: every event of the song is
// handed over up to the lookahead early, stamped with its real time on that
// queue (its due time from the song's start), and the sequencer sends it
// then, however late the player woke. A cancelled song's events still on
// the queue are removed.
#include "platform/backend.h"

#include <memory>

namespace platform {

// Null with the reason in status when the sequencer or the destination
// (client and port number) refuses.
std::unique_ptr<MidiPort> openAlsaSeqPort(int client, int port, bool scheduleSongs, MmResult& status);

}  // namespace platform
