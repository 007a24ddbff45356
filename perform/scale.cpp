#include "perform/scale.h"

#include <algorithm>
#include <cctype>

namespace {

struct ScaleEntry {
    const char* keyword;
    const char* caption;
    std::uint16_t pitchClasses;  // bit i: i semitones above the root
};

constexpr std::uint16_t steps(std::initializer_list<int> semitones)
{
    std::uint16_t bits = 0;
    for (int s : semitones)
        bits = static_cast<std::uint16_t>(bits | (1u << s));
    return bits;
}

constexpr ScaleEntry kScales[kScaleCount] = {
    {"chromatic", "Chromatic", steps({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11})},
    {"major", "Major", steps({0, 2, 4, 5, 7, 9, 11})},
    {"natural-minor", "Natural minor", steps({0, 2, 3, 5, 7, 8, 10})},
    {"harmonic-minor", "Harmonic minor", steps({0, 2, 3, 5, 7, 8, 11})},
    {"melodic-minor", "Melodic minor", steps({0, 2, 3, 5, 7, 9, 11})},
    {"pentatonic-major", "Major pentatonic", steps({0, 2, 4, 7, 9})},
    {"pentatonic-minor", "Minor pentatonic", steps({0, 3, 5, 7, 10})},
    {"blues", "Blues", steps({0, 3, 5, 6, 7, 10})},
    {"whole-tone", "Whole tone", steps({0, 2, 4, 6, 8, 10})},
    {"dorian", "Dorian", steps({0, 2, 3, 5, 7, 9, 10})},
    {"mixolydian", "Mixolydian", steps({0, 2, 4, 5, 7, 9, 10})},
};

const ScaleEntry& entryOf(ScaleKind scale)
{
    return kScales[static_cast<int>(scale)];
}

int pitchClass(int note)
{
    return ((note % 12) + 12) % 12;
}

}  // namespace

std::string ScaleKeyword(ScaleKind scale)
{
    return entryOf(scale).keyword;
}

std::optional<ScaleKind> ScaleFromKeyword(const std::string& keyword)
{
    std::string lower = keyword;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (ScaleKind scale : kAllScales)
        if (lower == entryOf(scale).keyword)
            return scale;
    return std::nullopt;
}

std::string ScaleCaption(ScaleKind scale)
{
    return entryOf(scale).caption;
}

bool ScaleHolds(ScaleKind scale, int root, int note)
{
    return (entryOf(scale).pitchClasses >> pitchClass(note - root)) & 1u;
}

int KeyTonic(int sf, int mode)
{
    // Each sharp moves the major tonic a fifth up; the relative minor lies a minor third below.
    return pitchClass(7 * sf + (mode == 1 ? 9 : 0));
}

std::array<std::uint8_t, 128> ScaleMarksOf(ScaleKind scale, int root)
{
    std::array<std::uint8_t, 128> marks{};
    for (int note = 1; note < 128; ++note)
        marks[static_cast<std::size_t>(note)] = ScaleHolds(scale, root, note) ? 1 : 0;
    return marks;
}
