#pragma once
// orvelline.ini: the settings the program keeps beyond there.cfg (pitch
// correction, practice choices, window state, recent files). It lives beside
// there.cfg and is read key by key, so a bad line costs that key alone: the
// caller takes its default and reports the problems, each naming the file and
// the line.
//
//   [Section]
//   key=value        ; a comment after a value is allowed
//   # or ; at the start of a line is a comment
//
// Writing keeps the user's comments and the order of the lines, replacing only
// the values that changed and adding new keys at the end of their section.
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class IniFile {
public:
    // Where it lives in a settings folder (ProgramFolders::settingsFolder).
    static std::filesystem::path pathIn(const std::filesystem::path& folder);

    // Reads path; a missing file is an empty one, not a problem. Lines that are
    // neither a section, a key nor a comment are recorded as problems.
    static IniFile load(const std::filesystem::path& path);

    // The value of key in section, trimmed and without its comment.
    std::optional<std::string> value(const std::string& section, const std::string& key) const;
    // The value as a whole number within [lo, hi]; a value that is missing
    // gives nothing, one that is not such a number gives nothing and a problem.
    std::optional<int> intValue(const std::string& section, const std::string& key, int lo, int hi);
    // The line number of key (1-based), or 0 when the file does not hold it.
    int lineOf(const std::string& section, const std::string& key) const;

    void setValue(const std::string& section, const std::string& key, const std::string& value);
    // Writes the whole file (through a temporary file, then a rename). False
    // with a reason when it could not be written.
    bool save(std::string* error = nullptr) const;

    // What could not be read, one text a line: "orvelline.ini, line 3: ...".
    const std::vector<std::string>& problems() const { return problems_; }
    // Adds a problem about key (for a value its reader refuses).
    void addProblem(const std::string& section, const std::string& key, const std::string& what);

    const std::filesystem::path& path() const { return path_; }

private:
    struct Line {
        std::string text;     // the line as read, or as rewritten
        std::string section;  // the section it belongs to
        std::string key;      // empty for comments, sections and blank lines
    };

    std::filesystem::path path_;
    std::vector<Line> lines_;
    std::vector<std::string> problems_;
};

}  // namespace platform
