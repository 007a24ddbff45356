#include "tools/arguments.h"

#include <algorithm>

namespace {

bool isOption(const std::string& arg)
{
    return arg.size() > 1 && arg[0] == '-';
}

}  // namespace

bool splitArguments(const std::string& command, std::span<const std::string> args, std::span<const OptionSpec> known,
                    SplitArguments& split, std::string& problem)
{
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || !isOption(arg)) {
            split.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const auto spec =
            std::find_if(known.begin(), known.end(), [&name](const OptionSpec& s) { return name == s.name; });
        if (spec == known.end()) {
            problem = command + " does not know the option '" + name + "'";
            return false;
        }
        if (!spec->needsValue) {
            if (equals != std::string::npos) {
                problem = name + " takes no value";
                return false;
            }
            split.options.emplace_back(name, std::string());
        } else if (equals != std::string::npos) {
            split.options.emplace_back(name, arg.substr(equals + 1));
        } else if (i + 1 < args.size()) {
            split.options.emplace_back(name, args[++i]);
        } else {
            problem = spec->needsValue;
            return false;
        }
    }
    return true;
}

bool asksForHelp(std::span<const std::string> args)
{
    for (const std::string& arg : args) {
        if (arg == "--")
            return false;
        if (arg == "--help" || arg == "-h")
            return true;
    }
    return false;
}
