#include "perform/practicelog.h"

#include <charconv>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <system_error>

namespace {

const char* const kHeading = "time,file,part,pass,tempo_percent,notes,within_25,mean_abs_cents,in_tune_share";

// A field quoted when it holds a comma, a quote or a line end, as spreadsheets read it.
std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

// The fields of one line; false for an unterminated quote.
bool splitCsv(const std::string& line, std::vector<std::string>& fields)
{
    fields.assign(1, {});
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"')
                fields.back() += line[++i];
            else if (c == '"')
                quoted = false;
            else
                fields.back() += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c != '\r') {
            fields.back() += c;
        }
    }
    return !quoted;
}

template <class T>
bool number(const std::string& text, T& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::string fixed(double value, int places)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", places, value);
    return text;
}

}  // namespace

std::string practiceLogTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

bool appendPracticeLog(const std::filesystem::path& path, const std::vector<PracticeLogEntry>& entries,
                       std::string& error)
{
    std::error_code ignored;
    const bool fresh = !std::filesystem::exists(path, ignored) || std::filesystem::file_size(path, ignored) == 0;
    std::ofstream out(path, std::ios::app | std::ios::binary);
    if (fresh)
        out << kHeading << '\n';
    for (const PracticeLogEntry& e : entries)
        out << csvField(e.time) << ',' << csvField(e.file) << ',' << e.part << ',' << e.pass << ',' << e.tempoPercent
            << ',' << e.summary.notes << ',' << e.summary.within25 << ',' << fixed(e.summary.meanAbsCents, 2) << ','
            << fixed(e.summary.inTuneShare, 3) << '\n';
    out.flush();
    if (!out) {
        error = "Could not write the practice log " + path.string() + ".";
        return false;
    }
    return true;
}

std::vector<PracticeLogEntry> readPracticeLog(const std::filesystem::path& path, const std::string& file, int part)
{
    std::vector<PracticeLogEntry> entries;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::vector<std::string> f;
    while (std::getline(in, line)) {
        PracticeLogEntry e;
        if (!splitCsv(line, f) || f.size() != 9 || f[1] != file || !number(f[2], e.part) || e.part != part ||
            !number(f[3], e.pass) || !number(f[4], e.tempoPercent) || !number(f[5], e.summary.notes) ||
            !number(f[6], e.summary.within25) || !number(f[7], e.summary.meanAbsCents) ||
            !number(f[8], e.summary.inTuneShare))
            continue;
        e.time = f[0];
        e.file = f[1];
        entries.push_back(e);
    }
    return entries;
}
