#include "midiout/rendergain.h"

#include <algorithm>
#include <cmath>
#include <limits>

float peakOf(std::span<const float> samples)
{
    float peak = 0.0f;
    for (const float s : samples)
        peak = std::max(peak, std::fabs(s));
    return peak;
}

double decibelsOf(double magnitude)
{
    return magnitude > 0.0 ? 20.0 * std::log10(magnitude) : -std::numeric_limits<double>::infinity();
}

double factorOfDecibels(double db)
{
    return std::pow(10.0, db / 20.0);
}

double normalizingGainDb(double peak)
{
    return peak > 0.0 ? kNormalizedPeakDb - decibelsOf(peak) : 0.0;
}

std::size_t toPcm16(std::span<const float> in, double factor, std::span<std::int16_t> out)
{
    std::size_t clipped = 0;
    const std::size_t n = std::min(in.size(), out.size());
    for (std::size_t i = 0; i < n; ++i) {
        const double scaled = std::round(double(in[i]) * factor * 32767.0);
        const double limited = std::clamp(scaled, -32768.0, 32767.0);
        clipped += limited != scaled;
        out[i] = std::int16_t(limited);
    }
    return clipped;
}
