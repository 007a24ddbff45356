#pragma once
// The arguments of one command, split as command-line programs usually split
// them: "--name value" and "--name=value" alike, "-" an operand (standard
// input or output), and "--" ending the options, so that what follows is an
// operand even when it begins with a dash.
#include <span>
#include <string>
#include <vector>

struct OptionSpec {
    const char* name;                  // "--device"
    const char* needsValue = nullptr;  // the problem when the value is missing; null for a flag
};

struct SplitArguments {
    std::vector<std::string> operands;
    // The options in the order given, with their values ("" for a flag).
    std::vector<std::pair<std::string, std::string>> options;
};

// False with problem set on an option the command does not know, a missing
// value, or a value given to a flag.
bool splitArguments(const std::string& command, std::span<const std::string> args, std::span<const OptionSpec> known,
                    SplitArguments& split, std::string& problem);

// Whether "--help" or "-h" stands among the options.
bool asksForHelp(std::span<const std::string> args);
