#include "platform/inifile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iterator>

#include "mididata/messagesink.h"
#include "mididata/wholefile.h"

namespace platform {

namespace {

const std::string kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kQuotedPrefix = 40;

std::string trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// A value ends where a comment starts: a ';' or '#' after blank space.
std::string stripComment(const std::string& value)
{
    for (std::size_t i = 0; i < value.size(); ++i) {
        if ((value[i] == ';' || value[i] == '#') && (i == 0 || value[i - 1] == ' ' || value[i - 1] == '\t')) {
            return value.substr(0, i);
        }
    }
    return value;
}

std::string valueOf(const std::string& line)
{
    const std::string body = trim(line);
    return trim(stripComment(body.substr(body.find('=') + 1)));
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::filesystem::path IniFile::pathIn(const std::filesystem::path& folder)
{
    return folder / "orvelline.ini";
}

void IniFile::problemAt(std::size_t number, const std::string& what)
{
    problems_.push_back(path_.filename().string() + ", line " + std::to_string(number) + ": " + what);
}

IniFile IniFile::load(const std::filesystem::path& path)
{
    IniFile ini;
    ini.path_ = path;
    std::error_code gone;
    if (!std::filesystem::exists(path, gone))
        return ini;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ini.unreadable_ = true;
        ini.problems_.push_back(path.filename().string() + " cannot be read: " + std::strerror(errno));
        return ini;
    }
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::size_t at = 0;
    if (all.compare(0, kByteOrderMark.size(), kByteOrderMark) == 0) {
        ini.byteOrderMark_ = true;
        at = kByteOrderMark.size();
    }
    bool endSeen = false;
    std::string section;
    std::size_t number = 0;
    while (at < all.size()) {
        const std::size_t end = std::min(all.find_first_of("\r\n", at), all.size());
        std::size_t next = end;
        if (end < all.size())
            next += all.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        if (!endSeen && end < all.size()) {
            ini.lineEnd_ = all.substr(end, next - end);
            endSeen = true;
        }
        ++number;
        Line line{all.substr(at, end - at), section, {}};
        at = next;
        if (line.text.size() > kMaxLineLength) {
            ini.problemAt(number, "longer than " + std::to_string(kMaxLineLength) + " characters");
            ini.lines_.push_back(std::move(line));
            continue;
        }
        const std::string body = trim(line.text);
        if (body.empty() || body[0] == ';' || body[0] == '#') {
            // a blank line or a comment
        } else if (body[0] == '[') {
            if (body.back() == ']') {
                section = trim(body.substr(1, body.size() - 2));
                line.section = section;
            } else {
                ini.problemAt(number, "a section name must end with ']'");
            }
        } else if (const auto eq = body.find('='); eq != std::string::npos && eq > 0) {
            line.key = trim(body.substr(0, eq));
        } else {
            ini.problemAt(number, "expected key=value");
        }
        ini.lines_.push_back(std::move(line));
    }
    return ini;
}

std::optional<std::string> IniFile::value(const std::string& section, const std::string& key) const
{
    const int at = lineOf(section, key);
    if (at == 0)
        return std::nullopt;
    return valueOf(lines_[std::size_t(at) - 1].text);
}

int IniFile::lineOf(const std::string& section, const std::string& key) const
{
    // The last of repeated keys wins, as when a user appends a corrected line.
    for (std::size_t i = lines_.size(); i-- > 0;) {
        if (lines_[i].section == section && lines_[i].key == key) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

std::optional<int> IniFile::intValue(const std::string& section, const std::string& key, int lo, int hi)
{
    const auto text = value(section, key);
    if (!text) {
        return std::nullopt;
    }
    int number = 0;
    const char* end = text->data() + text->size();
    const auto [ptr, ec] = std::from_chars(text->data(), end, number);
    if (text->empty() || ec != std::errc() || ptr != end || number < lo || number > hi) {
        addProblem(section, key,
                   quoted(*text) + " is not a whole number from " + std::to_string(lo) + " to " + std::to_string(hi));
        return std::nullopt;
    }
    return number;
}

void IniFile::addProblem(const std::string& section, const std::string& key, const std::string& what)
{
    // A value read twice is still one problem.
    const std::size_t known = problems_.size();
    problemAt(std::size_t(lineOf(section, key)), key + ": " + what);
    if (std::find(problems_.begin(), problems_.begin() + std::ptrdiff_t(known), problems_.back()) !=
        problems_.begin() + std::ptrdiff_t(known))
        problems_.pop_back();
}

void IniFile::setValue(const std::string& section, const std::string& key, const std::string& value)
{
    const Change change{section, key, value.find_first_of("\r\n") == std::string::npos ? value : escape(value)};
    if (this->value(section, key) == change.value)
        return;
    std::erase_if(changes_, [&](const Change& c) { return c.section == section && c.key == key; });
    changes_.push_back(change);
    apply(change);
}

void IniFile::apply(const Change& change)
{
    const int at = lineOf(change.section, change.key);
    if (at > 0) {
        Line& line = lines_[static_cast<std::size_t>(at) - 1];
        const std::string body = line.text;
        const auto eq = body.find('=');
        const std::string old = body.substr(eq + 1);
        // Keep a trailing comment the user wrote after the value.
        const std::string comment = old.substr(stripComment(old).size());
        std::string padded = change.value;
        if (!comment.empty()) {
            const auto oldValueWidth = stripComment(old).size();
            if (padded.size() + 1 < oldValueWidth) {
                padded.resize(oldValueWidth, ' ');
            } else {
                padded += ' ';
            }
        }
        line.text = body.substr(0, eq + 1) + padded + comment;
        return;
    }
    // A new key goes after the last line of its section, or into a new one.
    std::size_t insertAt = lines_.size();
    bool haveSection = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].section == change.section) {
            haveSection = true;
            if (!trim(lines_[i].text).empty()) {
                insertAt = i + 1;
            }
        }
    }
    if (!haveSection) {
        if (!lines_.empty() && !trim(lines_.back().text).empty()) {
            lines_.push_back({"", lines_.back().section, {}});
        }
        lines_.push_back({"[" + change.section + "]", change.section, {}});
        insertAt = lines_.size();
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                  Line{change.key + "=" + change.value, change.section, change.key});
}

std::string IniFile::text() const
{
    std::string text = byteOrderMark_ ? kByteOrderMark : std::string();
    for (const Line& line : lines_) {
        text += line.text;
        text += lineEnd_;
    }
    return text;
}

bool IniFile::save()
{
    if (changes_.empty())
        return true;
    // The file as it is now, so that lines edited while the program ran stay.
    IniFile now = load(path_);
    if (now.unreadable_) {
        reportMessage("Couldn't write file " + path_.string() + ": it cannot be read, so it is left as it is");
        return false;
    }
    for (const Change& change : changes_)
        now.apply(change);
    const std::string bytes = now.text();
    if (!writeWholeFile(path_.string(), bytes.data(), bytes.size()))
        return false;
    lines_ = std::move(now.lines_);
    lineEnd_ = now.lineEnd_;
    byteOrderMark_ = now.byteOrderMark_;
    changes_.clear();
    return true;
}

std::string IniFile::escape(const std::string& raw)
{
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const auto c = static_cast<unsigned char>(raw[i]);
        const bool edgeBlank = c == ' ' && (i == 0 || i + 1 == raw.size());
        if (c == '\\' || c == ';' || c == '#') {
            out += '\\';
            out += char(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20 || c == 0x7F || edgeBlank) {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += char(c);
        }
    }
    return out;
}

std::string IniFile::unescape(const std::string& stored)
{
    std::string out;
    for (std::size_t i = 0; i < stored.size(); ++i) {
        const char c = stored[i];
        const char next = i + 1 < stored.size() ? stored[i + 1] : '\0';
        if (c != '\\' || next == '\0') {
            out += c;
        } else if (next == '\\' || next == ';' || next == '#') {
            out += next;
            ++i;
        } else if (next == 'n' || next == 'r' || next == 't') {
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : '\t';
            ++i;
        } else if (next == 'x' && i + 3 < stored.size() && hexDigit(stored[i + 2]) >= 0 &&
                   hexDigit(stored[i + 3]) >= 0) {
            out += char(hexDigit(stored[i + 2]) * 16 + hexDigit(stored[i + 3]));
            i += 3;
        } else {
            out += c;
        }
    }
    return out;
}

std::string IniFile::quoted(const std::string& value)
{
    if (value.size() <= kQuotedPrefix)
        return "'" + value + "'";
    // Cut before a byte that continues a UTF-8 character, not inside it.
    std::size_t cut = kQuotedPrefix;
    while (cut > 0 && (static_cast<unsigned char>(value[cut]) & 0xC0) == 0x80)
        --cut;
    return "'" + value.substr(0, cut) + "...'";
}

std::string problemSummary(const std::vector<std::string>& problems, std::size_t maxLines)
{
    std::string text;
    for (std::size_t i = 0; i < problems.size() && i < maxLines; ++i)
        text += (i ? "\n" : "") + problems[i];
    if (problems.size() > maxLines)
        text += "\nand " + std::to_string(problems.size() - maxLines) + " more";
    return text;
}

}  // namespace platform
