// Key names for key signature events: one row per mode, one column per key
// signature from seven flats to seven sharps.
#include "midispec/midispec.h"

#include <iterator>

namespace {

constexpr const char* kMajorKeyNames[] = {
    "Cb(B) Major", "Gb Major", "Db Major", "Ab Major", "Eb Major", "Bb Major", "F Major",  "C Major",
    "G Major",     "D Major",  "A Major",  "E Major",  "B Major",  "F# Major", "C# Major",
};

constexpr const char* kMinorKeyNames[] = {
    "Ab Minor", "Eb Minor", "Bb Minor", "F Minor",  "C Minor",  "G Minor",  "D Minor",  "A Minor",
    "E Minor",  "B Minor",  "F# Minor", "C# Minor", "G# Minor", "D# Minor", "A# Minor",
};
static_assert(std::size(kMajorKeyNames) == 15);
static_assert(std::size(kMinorKeyNames) == 15);

}  // namespace

std::string KeyName(int sf, int mode)
{
    // A key signature event from a file can carry any byte; show it rather than guess.
    if (sf < -7 || sf > 7 || (mode != 0 && mode != 1))
        return "Key sf=" + std::to_string(sf) + " mode=" + std::to_string(mode);
    const char* const* row = mode == 0 ? kMajorKeyNames : kMinorKeyNames;
    return row[sf + 7];
}
