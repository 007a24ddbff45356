// orvelline-midi: looks into Standard MIDI Files the way Orvelline reads them,
// and plays or renders them the way it plays them.
#include <unistd.h>

#include <cstring>
#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "mididata/messagesink.h"
#include "midispec/version.h"
#include "platform/inifile.h"
#include "platform/programfolders.h"
#include "platform/registry.h"
#include "platform/soundsettings.h"
#include "tools/arguments.h"
#include "tools/commandhelp.h"
#include "tools/copycommand.h"
#include "tools/deviceadvice.h"
#include "tools/devicescommand.h"
#include "tools/intonationcommand.h"
#include "tools/loadsong.h"
#include "tools/playcommand.h"
#include "tools/rendercommand.h"
#include "tools/savesignals.h"
#include "tools/songinfo.h"
#include "tools/songjson.h"
#include "tools/textcommand.h"

namespace {

// One line, as every error line begins with the program's name.
int usage(const std::string& problem, const std::string& command = {})
{
    std::cerr << "orvelline-midi: " << problem << " (see 'orvelline-midi " << (command.empty() ? "" : command + " ")
              << "--help')\n";
    return 2;
}

// The operands of a command that takes no options.
bool operandsOnly(const std::string& command, std::span<const std::string> args, std::vector<std::string>& operands,
                  std::string& problem)
{
    SplitArguments split;
    if (!splitArguments(command, args, {}, split, problem))
        return false;
    operands = std::move(split.operands);
    return true;
}

// The sound settings of orvelline.ini hold for a song played here as for the
// window; a bad line of the file is said and the rest played as usual.
void useSoundSettings(platform::IniFile& settings)
{
    platform::OutputOptions outputs;
    platform::readSoundSettings(settings, outputs);
    if (!settings.problems().empty()) {
        std::cerr << programLines(platform::problemSummary(settings.problems())) << '\n';
    }
    platform::selectDefaultMidiBackends(outputs);
}

}  // namespace

int main(int argc, char** argv)
{
    setMessageSink([](const std::string& m) { std::cerr << programLines(commandLineDeviceMessage(m)) << '\n'; });
    if (argc < 2)
        return usage("no command given");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << programHelp();
        return 0;
    }
    if (command == "--version" || command == "-V") {
        std::cout << "orvelline-midi " ORVELLINE_VERSION "\n";
        return 0;
    }
    const std::string help = commandHelp(command);
    if (help.empty())
        return usage("unknown command '" + command + "'");
    const std::vector<std::string> rest(argv + 2, argv + argc);
    if (asksForHelp(rest)) {
        std::cout << help;
        return 0;
    }
    std::string problem;
    std::vector<std::string> operands;
    if (command == "info" || command == "json") {
        if (!operandsOnly(command, rest, operands, problem))
            return usage(problem, command);
        if (operands.size() != 1)
            return usage(command + " takes one FILE", command);
        if (command == "info")
            return runInfoCommand(operands[0], std::cout, std::cerr);
        return runJsonCommand(operands[0], std::cout, std::cerr);
    }
    if (command == "copy") {
        if (!operandsOnly(command, rest, operands, problem))
            return usage(problem, command);
        if (operands.size() != 2)
            return usage("copy takes IN and OUT", command);
        removeSavesOnSignal();
        return runCopyCommand(operands[0], operands[1], std::cerr);
    }
    if (command == "text") {
        std::string file;
        TextOptions options;
        if (!parseTextArguments(rest, file, options, problem))
            return usage(problem, command);
        return runTextCommand(file, std::cout, std::cerr, options);
    }
    if (command == "devices") {
        if (!operandsOnly(command, rest, operands, problem))
            return usage(problem, command);
        if (!operands.empty())
            return usage("devices takes no arguments", command);
        return runDevicesCommand(std::cout);
    }
    if (command == "play") {
        std::string file;
        PlayOptions options;
        if (!parsePlayArguments(rest, file, options, problem))
            return usage(problem, command);
        options.showPosition = isatty(STDOUT_FILENO) != 0;
        platform::IniFile settings = platform::IniFile::load(
            platform::IniFile::pathIn(platform::ProgramFolders::ofThisProcess().settingsFolder()));
        useSoundSettings(settings);
        return runPlayCommand(file, options, stopOnInterrupt(), std::cout, std::cerr);
    }
    if (command == "render") {
        std::string in, out;
        RenderOptions options;
        if (!parseRenderArguments(rest, in, out, options, problem))
            return usage(problem, command);
        removeSavesOnSignal();
        return runRenderCommand(in, out, options, std::cout, std::cerr);
    }
    IntonationOptions options;
    if (!parseIntonationArguments(rest, options, problem))
        return usage(problem, command);
    return runIntonationCommand(options, std::cout, std::cerr);
}
