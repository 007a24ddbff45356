// The scale marks of the grid key. Both modes walk from the major tonic of the key
// signature; the minor step rows raise the fifth degree of that major scale, which
// marks the harmonic minor of the relative minor key (its raised leading tone).
#include "midispec/midispec.h"

std::array<std::uint8_t, 128> ScaleTable{};

namespace {

// Pitch class of the major tonic for key signatures -7..+7, as 1..12 with C as 12:
// a start of 0 would end the downward walk before it marks anything.
constexpr int kTonic[15] = {11, 6, 1, 8, 3, 10, 5, 12, 7, 2, 9, 4, 11, 6, 1};

constexpr int kUpSteps[2][7] = {{2, 2, 1, 2, 2, 2, 1}, {2, 2, 1, 3, 1, 2, 1}};
constexpr int kDownSteps[2][7] = {{1, 2, 2, 2, 1, 2, 2}, {1, 2, 1, 3, 1, 2, 2}};

}  // namespace

void SelectGridKey(int sf, int mode)
{
    if (sf < -7 || sf > 7 || (mode != 0 && mode != 1))
        return;
    ScaleTable.fill(0);
    const int start = kTonic[sf + 7];
    // The downward walk stops once it is no longer above 0, so note 0 is never marked.
    for (int p = start, k = 0; p > 0; p -= kDownSteps[mode][k % 7], ++k)
        ScaleTable[p] = 1;
    for (int p = start, k = 0; p < 128; p += kUpSteps[mode][k % 7], ++k)
        ScaleTable[p] = 1;
}
