#include "platform/settingstext.h"

#include <charconv>

namespace platform {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

std::vector<std::string> settingsFileLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t from = 0;
    for (;;) {
        const std::size_t end = text.find('\n', from);
        std::string_view line = text.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos || end + 1 == text.size())
            break;
        from = end + 1;
    }
    return lines;
}

std::optional<int> wholeNumber(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    // from_chars takes a minus but not a plus; a plus before another sign is no number.
    if (text.size() > 1 && text.front() == '+' && isDigit(text[1]))
        text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

}  // namespace platform
