#pragma once
// Reading a song: what it does to the output, the same for the main window
// and the command-line tool. The tone module is reset as the song asks, and
// the performer is offered a channel that none of the song's tracks uses.
#include <cstdint>
#include <functional>
#include <vector>

class MidiGateway;
class midiSong;
class sysexEvent;

// The reset messages that reading a song sends to the tone module, in order:
// GM System On when the song holds it or holds no reset at all, then GS
// Reset, or else XG System On, when the song holds one of them.
std::vector<sysexEvent*> songResetMessages(const midiSong& song);

// Sends the song's resets and gives the module its time to reset before the
// next message, through pause (milliseconds; the caller's way of waiting).
// The resets go as a play track that keeps what it held would send them:
// each one after all those before it again (GM System On, then GM System On
// and the GS Reset).
void sendSongReset(MidiGateway& gateway, const midiSong& song,
                   const std::function<void(std::uint32_t milliseconds)>& pause);

// The lowest channel that no track of the song uses, percussion excepted;
// -1 when there is none.
int freeChannel(const midiSong& song);
