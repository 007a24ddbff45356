#include "platform/inifile.h"

#include <cerrno>
#include <charconv>
#include <fstream>

#include "mididata/wholefile.h"

namespace platform {

namespace {

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

}  // namespace

std::filesystem::path IniFile::pathIn(const std::filesystem::path& folder)
{
    return folder / "orvelline.ini";
}

IniFile IniFile::load(const std::filesystem::path& path)
{
    IniFile ini;
    ini.path_ = path;
    std::ifstream in(path, std::ios::binary);
    std::string text;
    std::string section;
    int number = 0;
    while (in && std::getline(in, text)) {
        ++number;
        if (!text.empty() && text.back() == '\r') {
            text.pop_back();
        }
        Line line{text, section, {}};
        const std::string body = trim(text);
        if (body.empty() || body[0] == ';' || body[0] == '#') {
            // a blank line or a comment
        } else if (body[0] == '[') {
            if (body.back() == ']') {
                section = trim(body.substr(1, body.size() - 2));
                line.section = section;
            } else {
                ini.problems_.push_back(path.filename().string() + ", line " + std::to_string(number) +
                                        ": a section name must end with ']'");
            }
        } else if (const auto eq = body.find('='); eq != std::string::npos && eq > 0) {
            line.key = trim(body.substr(0, eq));
        } else {
            ini.problems_.push_back(path.filename().string() + ", line " + std::to_string(number) +
                                    ": expected key=value");
        }
        ini.lines_.push_back(std::move(line));
    }
    return ini;
}

std::optional<std::string> IniFile::value(const std::string& section, const std::string& key) const
{
    // The last of repeated keys wins, as when a user appends a corrected line.
    for (auto it = lines_.rbegin(); it != lines_.rend(); ++it) {
        if (it->section == section && it->key == key) {
            const std::string body = trim(it->text);
            return trim(stripComment(body.substr(body.find('=') + 1)));
        }
    }
    return std::nullopt;
}

int IniFile::lineOf(const std::string& section, const std::string& key) const
{
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
                   "'" + *text + "' is not a whole number from " + std::to_string(lo) + " to " + std::to_string(hi));
        return std::nullopt;
    }
    return number;
}

void IniFile::addProblem(const std::string& section, const std::string& key, const std::string& what)
{
    problems_.push_back(path_.filename().string() + ", line " + std::to_string(lineOf(section, key)) + ": " + key +
                        ": " + what);
}

void IniFile::setValue(const std::string& section, const std::string& key, const std::string& value)
{
    const int at = lineOf(section, key);
    if (at > 0) {
        Line& line = lines_[static_cast<std::size_t>(at) - 1];
        const std::string body = line.text;
        const auto eq = body.find('=');
        const std::string old = body.substr(eq + 1);
        // Keep a trailing comment the user wrote after the value.
        const std::string comment = old.substr(stripComment(old).size());
        std::string padded = value;
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
        if (lines_[i].section == section) {
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
        lines_.push_back({"[" + section + "]", section, {}});
        insertAt = lines_.size();
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), Line{key + "=" + value, section, key});
}

bool IniFile::save(std::string* error) const
{
    std::string text;
    for (const Line& line : lines_) {
        text += line.text;
        text += '\n';
    }
    if (!writeWholeFile(path_.string(), text.data(), text.size())) {
        if (error) {
            *error = "Couldn't write " + path_.string();
        }
        return false;
    }
    return true;
}

}  // namespace platform
