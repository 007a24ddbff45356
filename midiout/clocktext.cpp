#include "midiout/clocktext.h"

#include <algorithm>
#include <cstdio>

std::string clockText(std::int64_t micros)
{
    char text[32];
    const std::int64_t tenths = std::max<std::int64_t>(0, micros) / 100000;
    std::snprintf(text, sizeof text, "%lld:%02lld.%lld", static_cast<long long>(tenths / 600),
                  static_cast<long long>(tenths / 10 % 60), static_cast<long long>(tenths % 10));
    return text;
}
