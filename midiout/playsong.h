#pragma once
// "Play MIDI": the tracks of a song merged into one play track in time order,
// and that track handed to the player. The main window and the command-line
// tool share it. The play track belongs to the caller, who reuses it from
// song to song; it holds the song's own events (one more reference each).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

class MidiGateway;
class midiSong;
class midiTrack;

// Empties playTrack and fills it with every event of every track of song,
// tracks in song order, except the system-exclusive messages equal to the
// song's GS mode-set message, for each of which onSkip is called (the main
// window shows "Skip sysEx"). A track that is not empty is left in duration
// form, so that the player's expansion sorts it: equal times keep the order
// in which the events were made, which for a file is earlier tracks first.
// Returns the number of messages skipped.
std::size_t buildPlayTrack(midiSong& song, midiTrack& playTrack, const std::function<void()>& onSkip = {});

// Stops the player, builds the play track, sets the tempo of the song's start
// and plays it. Returns the number of messages skipped.
std::size_t playSong(MidiGateway& gateway, midiSong& song, midiTrack& playTrack,
                     const std::function<void()>& onSkip = {});

// The tempo the player starts a song with: the song's tempo at tick 0, or
// the default tempo when the player would refuse that value.
std::int32_t playStartTempo(midiSong& song);
