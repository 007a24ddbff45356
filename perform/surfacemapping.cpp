#include "perform/surfacemapping.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "midispec/midispec.h"

namespace surface {

namespace {

// A control shrunk to nothing counts as one pixel rather than dividing by zero.
std::int64_t usableLength(std::int32_t length)
{
    return std::max<std::int64_t>(length, 1);
}

std::int32_t clampBend(std::int64_t bend)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(bend, 0, midi::kBendMax));
}

}  // namespace

// 64-bit intermediates: the square of a far-off position (or of half of a
// very large surface) would not fit in 32 bits. Within the 32-bit range the
// results are those of the 32-bit formula, since C++ division truncates too.
std::int32_t Loudness(std::int32_t c, std::int32_t length)
{
    const std::int64_t l = usableLength(length);
    const std::int64_t d = std::int64_t(c) - l / 2;
    const std::int64_t loudness = kMaxLoudness - (d * d * 508 / l) / l;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(loudness, 0, kMaxLoudness));
}

std::int32_t VerticalBend(std::int32_t y, std::int32_t height)
{
    const std::int64_t h = usableLength(height);
    return clampBend((h - y) * midi::kBendMax / h);
}

std::int32_t HorizontalBend(std::int32_t x, std::int32_t width)
{
    return clampBend(std::int64_t(x) * midi::kBendMax / usableLength(width));
}

std::int32_t EasyBend(std::int32_t p, std::int32_t length, std::int32_t rangeSemitones)
{
    const double l = static_cast<double>(usableLength(length));
    const double r = rangeSemitones == 0 ? 1.0 : static_cast<double>(rangeSemitones);
    const double pos = p;
    const double pi = std::numbers::pi;
    const double eased = pos - std::sin(pos * 4 * pi * r / l) * (l / r * 0.25 * (1 / pi));
    const double bend = std::trunc(eased * midi::kBendMax / l);
    return static_cast<std::int32_t>(std::clamp(bend, 0.0, static_cast<double>(midi::kBendMax)));
}

Deviation DeviationOf(std::int32_t bend, std::int32_t unitsPerSemitone)
{
    const std::int32_t u = std::max<std::int32_t>(unitsPerSemitone, 1);
    const std::int32_t offset = bend - midi::kBendCentre;
    return {offset / u, (offset % u) * 100 / u};
}

std::string StatusText(std::int32_t loudness, std::int32_t note, std::int32_t cents)
{
    return "Vol:" + std::to_string(loudness) + " Note:" + NoteName(note) + " " + std::to_string(cents) + " Cent";
}

}  // namespace surface
