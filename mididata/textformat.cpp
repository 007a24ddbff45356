#include "mididata/textformat.h"

#include <cstddef>

namespace {

// Widths and precisions come from the program's own format strings; the cap only
// keeps a malformed one from asking for an absurd amount of padding.
constexpr int kMaxFieldSize = 1024;

struct Directive {
    bool leftAlign = false;
    int width = 0;
    int precision = -1;
    char conversion = 0;
};

int readCount(std::string_view format, std::size_t& i)
{
    int n = 0;
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
        if (n < kMaxFieldSize)
            n = n * 10 + (format[i] - '0');
        ++i;
    }
    return n < kMaxFieldSize ? n : kMaxFieldSize;
}

std::string digitsOf(std::uint64_t magnitude, unsigned base)
{
    static const char kDigits[] = "0123456789ABCDEF";
    char buffer[24];
    std::size_t n = 0;
    do {
        buffer[n++] = kDigits[magnitude % base];
        magnitude /= base;
    } while (magnitude != 0);
    std::string out;
    out.reserve(n);
    while (n > 0)
        out.push_back(buffer[--n]);
    return out;
}

std::string numberField(const Directive& d, std::int64_t value)
{
    std::string sign;
    std::uint64_t magnitude;
    unsigned base = 10;
    if (d.conversion == 'd') {
        // Negate in unsigned arithmetic so the most negative value has a magnitude too.
        magnitude = value < 0 ? 0 - std::uint64_t(value) : std::uint64_t(value);
        if (value < 0)
            sign = "-";
    } else {
        base = 16;
        magnitude = value < 0 && value >= INT32_MIN ? std::uint64_t(std::uint32_t(value)) : std::uint64_t(value);
    }
    std::string digits = digitsOf(magnitude, base);
    if (d.precision > 0 && digits.size() < std::size_t(d.precision))
        digits.insert(0, std::size_t(d.precision) - digits.size(), '0');
    return sign + digits;
}

void appendPadded(std::string& out, const Directive& d, std::string_view field)
{
    std::size_t pad = field.size() < std::size_t(d.width) ? std::size_t(d.width) - field.size() : 0;
    if (!d.leftAlign)
        out.append(pad, ' ');
    out.append(field);
    if (d.leftAlign)
        out.append(pad, ' ');
}

}  // namespace

std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args)
{
    std::string out;
    const FormatArg* next = args.begin();
    std::size_t i = 0;
    while (i < format.size()) {
        char c = format[i];
        if (c != '%') {
            out.push_back(c);
            ++i;
            continue;
        }
        std::size_t start = i++;
        Directive d;
        if (i < format.size() && format[i] == '-') {
            d.leftAlign = true;
            ++i;
        }
        d.width = readCount(format, i);
        if (i < format.size() && format[i] == '.') {
            ++i;
            d.precision = readCount(format, i);
        }
        if (i >= format.size()) {
            out.append(format.substr(start));
            break;
        }
        char conversion = format[i++];
        if (conversion == 'X')
            conversion = 'x';
        d.conversion = conversion;
        if (conversion == '%') {
            out.push_back('%');
            continue;
        }
        if (conversion != 'd' && conversion != 'x' && conversion != 's') {
            out.append(format.substr(start, i - start));
            continue;
        }
        const FormatArg* arg = next != args.end() ? next++ : nullptr;
        if (conversion == 's') {
            std::string_view text = arg && arg->isText() ? arg->text() : std::string_view();
            if (d.precision >= 0 && text.size() > std::size_t(d.precision))
                text = text.substr(0, std::size_t(d.precision));
            appendPadded(out, d, text);
        } else if (arg && !arg->isText()) {
            appendPadded(out, d, numberField(d, arg->number()));
        } else {
            appendPadded(out, d, std::string_view());
        }
    }
    return out;
}

std::string HexBytesText(const std::uint8_t* bytes, std::size_t count)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    if (!bytes)
        return out;
    out.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(kDigits[bytes[i] >> 4]);
        out.push_back(kDigits[bytes[i] & 0x0F]);
        out.push_back(' ');
    }
    return out;
}
