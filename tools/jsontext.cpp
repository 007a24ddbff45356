#include "tools/jsontext.h"

#include <cstdint>
#include <cstdio>

namespace {

bool isValidUtf8(const std::string& s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = std::uint8_t(s[i]);
        std::size_t extra;
        if (c < 0x80)
            extra = 0;
        else if (c >= 0xC2 && c <= 0xDF)
            extra = 1;
        else if (c >= 0xE0 && c <= 0xEF)
            extra = 2;
        else if (c >= 0xF0 && c <= 0xF4)
            extra = 3;
        else
            return false;
        if (extra > s.size() - i - 1)
            return false;
        for (std::size_t k = 1; k <= extra; ++k)
            if ((std::uint8_t(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += extra + 1;
    }
    return true;
}

void appendEscaped(std::string& out, std::uint32_t c)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\u%04X", unsigned(c));
    out += buf;
}

}  // namespace

std::string jsonQuoted(const std::string& bytes)
{
    const bool utf8 = isValidUtf8(bytes);
    std::string out = "\"";
    for (char ch : bytes) {
        const auto c = std::uint8_t(ch);
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F)
                appendEscaped(out, c);
            else if (c >= 0x80 && !utf8)
                appendEscaped(out, c);
            else
                out += ch;
        }
    }
    out += '"';
    return out;
}
