#pragma once
// orvelline.ini: the settings the program keeps beyond there.cfg (sound,
// pitch correction, practice choices, window state, recent files), one
// section for each part of the program. The window and orvelline-midi each
// load it once into one IniFile and hand that to the parts, which read and
// set the keys of their own section; the program saves it once, at the end.
//
//   [Section]
//   key=value        ; a comment after a value is allowed
//   # or ; at the start of a line is a comment
//
// The file is read as editors write it: LF, CR LF or CR line ends, with or
// without a UTF-8 byte-order mark; saving writes the line ends and the mark
// the file had. A key is read on its own, so a bad line costs that key alone:
// the caller takes its default, and the problems, each naming the file and
// the line, are shown together (problemSummary). A line longer than
// kMaxLineLength is one bad line, kept as it is.
//
// Saving reads the file again and writes only the keys whose values were
// changed since loading, so the user's comments, the order of the lines, and
// an edit made while the program ran all stay; new keys go at the end of
// their section. Nothing changed, nothing written.
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class IniFile {
public:
    static constexpr std::size_t kMaxLineLength = 4096;

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

    // A value equal to the one held changes nothing. A line break in value is
    // written escaped, so that a value can never add lines to the file.
    void setValue(const std::string& section, const std::string& key, const std::string& value);
    // Writes the changed keys (through writeWholeFile, which refuses a file
    // its owner made read-only and says why). False when it could not; the
    // changes are then still held.
    bool save();

    // What could not be read, one text a line: "orvelline.ini, line 3: ...".
    const std::vector<std::string>& problems() const { return problems_; }
    // Adds a problem about key (for a value its reader refuses).
    void addProblem(const std::string& section, const std::string& key, const std::string& what);

    const std::filesystem::path& path() const { return path_; }

    // A value that may hold any bytes (a file name) is stored escaped:
    //   \\ a backslash   \; \#  ';' and '#', which could start a comment
    //   \n \r \t          line breaks and a tab
    //   \xHH              any other control byte, and a blank at either end
    // Reading takes any other backslash as written, so a name stored plain
    // by an earlier version reads as it did.
    static std::string escape(const std::string& raw);
    static std::string unescape(const std::string& stored);
    // A value for a message: quoted, and cut to a short prefix followed by "..."
    static std::string quoted(const std::string& value);

private:
    struct Line {
        std::string text;     // the line as read, or as rewritten
        std::string section;  // the section it belongs to
        std::string key;      // empty for comments, sections, blank and bad lines
    };
    struct Change {
        std::string section;
        std::string key;
        std::string value;
    };

    std::filesystem::path path_;
    std::vector<Line> lines_;
    std::vector<std::string> problems_;
    std::vector<Change> changes_;
    std::string lineEnd_ = "\n";
    bool byteOrderMark_ = false;
    bool unreadable_ = false;

    void problemAt(std::size_t number, const std::string& what);
    void apply(const Change& change);
    std::string text() const;
};

// The problems of the settings files as one message: at most maxLines of
// them, then "and N more".
std::string problemSummary(const std::vector<std::string>& problems, std::size_t maxLines = 20);

}  // namespace platform
