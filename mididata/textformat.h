#pragma once
// The one format engine behind the event texts. It understands the directives the
// texts use: "%d" (signed decimal), "%x"/"%X" (upper-case hexadecimal), "%s" (a
// text) and "%%", each with an optional "-" (left-align), a width (pad with blanks
// to that many columns) and a precision after a point (at least that many digits,
// zero-padded after the sign; for "%s" at most that many characters). A negative
// number shown in hexadecimal shows its two's complement.
//
// Formatting never fails: a directive without a matching argument, or with an
// argument of the other sort, gives an empty field, and an unknown directive is
// copied as it stands.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

// One argument of FormatText: a number or a text. Holds a view of a text, so the
// text must outlive the FormatText call (temporaries in the argument list do).
class FormatArg {
public:
    FormatArg(int v) : number_(v) {}
    FormatArg(unsigned v) : number_(v) {}
    FormatArg(long v) : number_(v) {}
    FormatArg(unsigned long v) : number_(std::int64_t(v)) {}
    FormatArg(long long v) : number_(v) {}
    FormatArg(const std::string& s) : text_(s), isText_(true) {}
    FormatArg(const char* s) : text_(s ? std::string_view(s) : std::string_view()), isText_(true) {}
    FormatArg(std::string_view s) : text_(s), isText_(true) {}

    bool isText() const { return isText_; }
    std::int64_t number() const { return number_; }
    std::string_view text() const { return text_; }

private:
    std::int64_t number_ = 0;
    std::string_view text_;
    bool isText_ = false;
};

std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args);

// Two upper-case hexadecimal digits and one blank per byte ("43 7B "), as the
// listings show data bytes.
std::string HexBytesText(const std::uint8_t* bytes, std::size_t count);
