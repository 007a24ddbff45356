#pragma once
// A click track for measuring timing through the built-in synth (a wood block
// on every beat, no reverb or chorus, the tempo changing every two bars), and
// what the benchmarks need to measure it: the clicks' onsets in a 16-bit WAV
// file and their errors against the tempo map.
#include <cstdint>
#include <string>
#include <vector>

// The Standard MIDI File of a click track at least `seconds` long, and the ticks of its clicks.
std::vector<std::uint8_t> clickTrack(double seconds, std::vector<std::int32_t>& clicks);

struct Audio {
    double rate = 0;
    std::vector<float> level;  // the larger of |left| and |right| per frame
};

// A 16-bit PCM WAV file, read chunk by chunk.
bool readWav(const std::string& path, Audio& audio);

// The first frame of each click, in microseconds from the start of the audio.
std::vector<double> onsetMicros(const Audio& audio);

// Prints the clicks' errors against their exact times, after removing the
// constant delay (the median of onset - exact): p50, p99 and maximum, and the
// error of the last click (the drift by the end). fitRate first fits the
// audio clock's rate against the player's. nearStall, when given, marks the
// clicks that a stall of the machine may have moved; the figures are then
// given once more without them. Clicks missing from the recording (a stream
// that underran drops what it could not play in time) are named by song time,
// and the others measured.
void report(const char* what, const std::vector<double>& onsets, const std::vector<double>& exact, bool fitRate,
            const std::vector<bool>& nearStall = {});

// The exact instants of the clicks of a click track file, from its tempo map.
std::vector<double> clickMicros(const std::vector<std::uint8_t>& image, const std::vector<std::int32_t>& clickTicks);
