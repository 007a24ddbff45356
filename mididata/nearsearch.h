#pragma once
// std::upper_bound for lookups that mostly come in order: the answer is tried
// at the last one and just after it before the range is searched. A walk over a
// song in time order then costs a constant per step instead of a logarithm,
// which keeps a song of a million meter changes as quick per bar as a short one.
#include <algorithm>
#include <cstddef>

// The first index in [0, size) whose element is after `key` (size when none);
// `hint` is the answer of the previous lookup.
template <class Vec, class Key, class Less>
std::size_t upperBoundNear(const Vec& v, const Key& key, std::size_t hint, Less keyBefore)
{
    const std::size_t n = v.size();
    auto fits = [&](std::size_t i) {
        return (i == 0 || !keyBefore(key, v[i - 1])) && (i == n || keyBefore(key, v[i]));
    };
    if (hint <= n && fits(hint))
        return hint;
    if (hint < n && fits(hint + 1))
        return hint + 1;
    return std::size_t(std::upper_bound(v.begin(), v.end(), key, keyBefore) - v.begin());
}
