#pragma once
// The note grid over the playing surface as a list of lines: one per semitone
// of the pitch axis, solid where the note belongs to the grid key and dotted
// elsewhere, then three guide lines across the loudness axis at a quarter, a
// half (solid: loudness 127) and three quarters. The window's grid layer draws
// them; keeping the geometry here lets it be checked without a window.
//
// Pitch lines exist for ranges of 1 to surface::kMaxBendRange semitones; any
// other range gives the loudness guides only. Notes outside 0..127 belong to
// no key and are dotted.
#include <array>
#include <cstdint>
#include <vector>

#include "perform/surfacemapping.h"

struct GridLine {
    // Drawn from (x1, y1) towards (x2, y2), the end point itself excluded.
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    bool solid = false;
    bool operator==(const GridLine&) const = default;
};

// Key marks indexed by note number, 1 for the notes of the key (ScaleTable).
using ScaleMarks = std::array<std::uint8_t, 128>;

// Pitch on the vertical axis of a width x height layer: the line of note
// centreNote - range + i lies at y = trunc((1 - i / 2range) x height), for
// i = 0 .. 2range - 1, so the lowest note's line falls just below the layer.
std::vector<GridLine> VerticalGridLines(int width, int height, int range, int centreNote, const ScaleMarks& scale);

// Pitch on the horizontal axis: the line of note centreNote - range + i lies
// at x = trunc(i / 2range x width), from the top row down to, but not into,
// the bottom row.
std::vector<GridLine> HorizontalGridLines(int width, int height, int range, int centreNote, const ScaleMarks& scale);
