#pragma once
// The practice log: every scored pass of a practice take, one CSV line each,
// in a file of the settings folder that a user can open in a spreadsheet:
// "time,file,part,pass,tempo_percent,notes,within_25,mean_abs_cents,in_tune_share".
// The intonation report reads the earlier lines of the same file and part as
// a trend. A line that cannot be read is passed over; it never stops the rest.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "perform/intonation.h"

inline constexpr const char* kPracticeLogFileName = "practice-log.csv";

struct PracticeLogEntry {
    std::string time;  // local "YYYY-MM-DD HH:MM:SS"
    std::string file;  // the song's file name
    int part = 0;
    int pass = 1;
    int tempoPercent = 100;
    PassSummary summary;
};

// The current local time as the log writes it.
std::string practiceLogTime();

// Appends the entries, writing the heading first into a new file; false with
// error set when the file cannot be written.
bool appendPracticeLog(const std::filesystem::path& path, const std::vector<PracticeLogEntry>& entries,
                       std::string& error);

// The entries of the log for that file and part, oldest first; none when the log is missing.
std::vector<PracticeLogEntry> readPracticeLog(const std::filesystem::path& path, const std::string& file, int part);

// What the intonation report shows: every pass of the take, and the log's
// earlier entries for the same file and part.
struct PracticeReport {
    std::vector<PassScore> passes;
    std::vector<PracticeLogEntry> earlier;
    std::vector<std::string> places;        // "3:1" for each row, where its note starts
    std::vector<std::int64_t> barStartsUs;  // the song's bars, for the picture's time axis
};
