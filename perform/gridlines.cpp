#include "perform/gridlines.h"

namespace {

// Notes outside the MIDI range belong to no key.
bool inKey(const ScaleMarks& scale, int note)
{
    return note >= 0 && note < static_cast<int>(scale.size()) && scale[static_cast<std::size_t>(note)] == 1;
}

int pitchLineCount(int range)
{
    return range > 0 && range <= surface::kMaxBendRange ? 2 * range : 0;
}

// trunc(i / (2 range) x length) in exact integer arithmetic: the floating-point
// form can land a hair below a whole pixel and lose it.
int fractionOf(int length, int i, int range)
{
    return static_cast<int>(static_cast<std::int64_t>(length) * i / (2 * static_cast<std::int64_t>(range)));
}

}  // namespace

std::vector<GridLine> VerticalGridLines(int width, int height, int range, int centreNote, const ScaleMarks& scale)
{
    std::vector<GridLine> lines;
    const int count = pitchLineCount(range);
    const int base = centreNote - range;
    for (int i = 0; i < count; ++i) {
        const int y = fractionOf(height, count - i, range);
        lines.push_back({0, y, width, y, inKey(scale, base + i)});
    }
    for (int j = 1; j <= 3; ++j) {
        const int x = (width / 4) * j;
        lines.push_back({x, 0, x, height, j == 2});
    }
    return lines;
}

std::vector<GridLine> HorizontalGridLines(int width, int height, int range, int centreNote, const ScaleMarks& scale)
{
    std::vector<GridLine> lines;
    const int count = pitchLineCount(range);
    const int base = centreNote - range;
    for (int i = 0; i < count; ++i) {
        const int x = fractionOf(width, i, range);
        lines.push_back({x, 0, x, height - 1, inKey(scale, base + i)});
    }
    for (int j = 1; j <= 3; ++j) {
        const int y = (height / 4) * j;
        lines.push_back({0, y, width, y, j == 2});
    }
    return lines;
}
