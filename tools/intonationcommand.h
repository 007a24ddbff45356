#pragma once
// "orvelline-midi intonation REFERENCE.mid TAKE.mid --track N [--summary]": how
// in tune each pass of a take played track N of a song, one CSV line per note
// and pass, or with --summary one line per pass.
#include <iosfwd>
#include <span>
#include <string>

struct IntonationOptions {
    std::string reference;
    std::string take;
    int track = -1;
    bool summary = false;
};

// "REFERENCE TAKE --track N [--summary]" in any order of the options. False with problem set on a usage error.
bool parseIntonationArguments(std::span<const std::string> args, IntonationOptions& options, std::string& problem);

// Writes the CSV to out and returns 0; on failure writes the reason to err and returns 1.
int runIntonationCommand(const IntonationOptions& options, std::ostream& out, std::ostream& err);
