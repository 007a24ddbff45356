#pragma once
// What several benchmarks need: writing the variable-length numbers of the
// Standard MIDI Files they build, and reading percentiles off their timings.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

// Appends v as a variable-length quantity: seven bits a byte, most significant
// first, every byte but the last with its high bit set.
inline void putVarLen(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    std::uint8_t buf[5];
    int n = 0;
    buf[n++] = v & 0x7F;
    while (v >>= 7)
        buf[n++] = std::uint8_t((v & 0x7F) | 0x80);
    while (n)
        out.push_back(buf[--n]);
}

// The smallest value that at least the fraction p (0..1] of the values do not
// exceed; 0 for no values.
inline double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t index = std::size_t(std::ceil(p * double(values.size()))) - 1;
    return values[std::min(index, values.size() - 1)];
}
