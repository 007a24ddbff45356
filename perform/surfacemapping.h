#pragma once
// The arithmetic of the playing surface: how a pointer position becomes a
// pitch-bend value and a loudness, and what the status line below the surface
// says about it. The surface's pointer handlers call these and hand the results
// to the performer.
//
// The integer formulas are the instrument's own, in signed 32-bit arithmetic
// with division truncating towards zero. Positions outside the surface (the
// toolkit keeps reporting them while a button is held) are clamped to the
// valid results, so a bend stays in 0..16383 and a loudness in 0..127.
#include <cstdint>
#include <string>

#include "midispec/midivocabulary.h"

namespace surface {

constexpr std::int32_t kMaxLoudness = 127;
// The widest bend range in semitones: the range goes to the tone module as one
// data byte (controller 6).
constexpr std::int32_t kMaxBendRange = 127;

// Loudness from the position c along an axis of length L: 127 in the middle,
// falling on a parabola to about 0 at both edges.
std::int32_t Loudness(std::int32_t c, std::int32_t length);

// Plain pitch mappings: pitch rises upwards (vertical) or to the right (horizontal).
std::int32_t VerticalBend(std::int32_t y, std::int32_t height);
std::int32_t HorizontalBend(std::int32_t x, std::int32_t width);

// The easy mapping of a position p measured from the low end of a pitch axis
// of length L, for a bend range of R semitones: equal to the plain mapping on
// every semitone line and flat there, so the pitch dwells on each semitone.
// A range of 0, which the panel never lets through, counts as 1.
std::int32_t EasyBend(std::int32_t p, std::int32_t length, std::int32_t rangeSemitones);

// A bend as whole semitones from the centre note plus the rest in cents; both
// carry the sign of the bend's distance from 8192. unitsPerSemitone must be
// at least 1 (the panel refuses ranges that would make it smaller).
struct Deviation {
    std::int32_t semis = 0;
    std::int32_t cents = 0;
    bool operator==(const Deviation&) const = default;
};
Deviation DeviationOf(std::int32_t bend, std::int32_t unitsPerSemitone);

// "Vol:96 Note: A 4 -12 Cent".
std::string StatusText(std::int32_t loudness, std::int32_t note, std::int32_t cents);

}  // namespace surface
