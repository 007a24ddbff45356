// orvelline-midi: looks into Standard MIDI Files the way Orvelline reads them,
// and plays or renders them the way it plays them.
#include <unistd.h>

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "mididata/messagesink.h"
#include "midispec/version.h"
#include "platform/inifile.h"
#include "platform/programfolders.h"
#include "platform/registry.h"
#include "platform/soundsettings.h"
#include "tools/copycommand.h"
#include "tools/deviceadvice.h"
#include "tools/devicescommand.h"
#include "tools/intonationcommand.h"
#include "tools/playcommand.h"
#include "tools/rendercommand.h"
#include "tools/savesignals.h"
#include "tools/songinfo.h"
#include "tools/songjson.h"
#include "tools/textcommand.h"

namespace {

const char* const kHelp = "Usage: orvelline-midi COMMAND ARGUMENTS\n"
                          "\n"
                          "Looks into Standard MIDI Files (formats 0 and 1) as Orvelline reads them,\n"
                          "and plays or renders them as Orvelline plays them.\n"
                          "\n"
                          "Commands:\n"
                          "  info FILE       A short summary: format, division, tracks, length in ticks\n"
                          "                  and seconds, tempo and key at the start, reset messages,\n"
                          "                  and how long reading took.\n"
                          "  json FILE       The song as read, as one JSON document: header values,\n"
                          "                  tempo, key, bar count, copyright, and every track with\n"
                          "                  every event (notes with their durations).\n"
                          "  text FILE [--times]\n"
                          "                  Each track's heading and each event as one line of text;\n"
                          "                  with --times each line begins with the event's place as\n"
                          "                  bar:beat:tick and its time in seconds.\n"
                          "  copy IN OUT     Reads IN and writes it to OUT with Orvelline's writer.\n"
                          "                  OUT is replaced only by a complete file.\n"
                          "  devices         The MIDI output devices as the device window lists them,\n"
                          "                  each with its number; -1 is the default route.\n"
                          "  play FILE [--device N]\n"
                          "                  Plays FILE as \"Play MIDI\" does, through device N (the\n"
                          "                  default route if not given), showing bar:beat:tick and\n"
                          "                  time. Ctrl-C stops it and silences every channel (exit 130).\n"
                          "  render FILE OUT.wav|OUT.flac [--soundfont SF] [--gain DB] [--normalize]\n"
                          "                  Renders FILE through the built-in synth offline into a\n"
                          "                  44.1 kHz 16-bit stereo WAV file (FLAC when OUT ends in\n"
                          "                  .flac), with the player's timing\n"
                          "                  and 2 s after the last event. SF is a .sf2 or .sf3 file;\n"
                          "                  without it, the first one in the program's folder, else\n"
                          "                  the system's General MIDI SoundFont. --gain raises (or\n"
                          "                  lowers) the level by DB decibels; --normalize brings the\n"
                          "                  loudest sample to -1 dBFS (--gain then adds to that).\n"
                          "  intonation REFERENCE TAKE --track N [--summary]\n"
                          "                  How in tune TAKE played track N of REFERENCE (numbered as\n"
                          "                  text and json number them), as CSV, one line per note:\n"
                          "                  start_s,end_s,note,name,cents_mean,cents_max,coverage.\n"
                          "                  TAKE is a saved practice take, or any file whose first\n"
                          "                  track holding notes is the take, counted from the song's\n"
                          "                  start. Cents are signed and weighted by time; coverage is\n"
                          "                  the share of the note during which the take sounded.\n"
                          "  --help          This text.\n"
                          "  --version       The program's version.\n"
                          "\n"
                          "Exit status: 0 on success, 1 when a file cannot be read or written or a\n"
                          "device cannot be used (the reason is printed on standard error), 2 for a\n"
                          "usage error. Errors about a file begin with the program and the file:\n"
                          "  orvelline-midi: song.mid: Couldn't find MIDI Track block\n";

int usage(const char* problem)
{
    std::cerr << "orvelline-midi: " << problem << "\nTry 'orvelline-midi --help'.\n";
    return 2;
}

// The sound settings of orvelline.ini hold for a song played here as for the
// window; a bad line of the file is said and the rest played as usual.
void useSoundSettings(platform::IniFile& settings)
{
    platform::OutputOptions outputs;
    platform::readSoundSettings(settings, outputs);
    if (!settings.problems().empty()) {
        std::string text = platform::problemSummary(settings.problems());
        for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; ++at)
            text.replace(at, 1, "\norvelline-midi: ");
        std::cerr << "orvelline-midi: " << text << '\n';
    }
    platform::selectDefaultMidiBackends(outputs);
}

}  // namespace

int main(int argc, char** argv)
{
    setMessageSink([](const std::string& m) { std::cerr << commandLineDeviceMessage(m) << '\n'; });
    if (argc < 2)
        return usage("no command given");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kHelp;
        return 0;
    }
    if (command == "--version" || command == "-V") {
        std::cout << "orvelline-midi " ORVELLINE_VERSION "\n";
        return 0;
    }
    const int args = argc - 2;
    if (command == "info" || command == "json") {
        if (args != 1)
            return usage((command + " takes one FILE").c_str());
        if (command == "info")
            return runInfoCommand(argv[2], std::cout, std::cerr);
        return runJsonCommand(argv[2], std::cout, std::cerr);
    }
    if (command == "copy") {
        if (args != 2)
            return usage("copy takes IN and OUT");
        removeSavesOnSignal();
        return runCopyCommand(argv[2], argv[3], std::cerr);
    }
    const std::vector<std::string> rest(argv + 2, argv + argc);
    std::string problem;
    if (command == "text") {
        std::string file;
        TextOptions options;
        if (!parseTextArguments(rest, file, options, problem))
            return usage(problem.c_str());
        return runTextCommand(file, std::cout, std::cerr, options);
    }
    if (command == "devices") {
        if (args != 0)
            return usage("devices takes no arguments");
        return runDevicesCommand(std::cout);
    }
    if (command == "play") {
        std::string file;
        PlayOptions options;
        if (!parsePlayArguments(rest, file, options, problem))
            return usage(problem.c_str());
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
            return usage(problem.c_str());
        removeSavesOnSignal();
        return runRenderCommand(in, out, options, std::cout, std::cerr);
    }
    if (command == "intonation") {
        IntonationOptions options;
        if (!parseIntonationArguments(rest, options, problem))
            return usage(problem.c_str());
        return runIntonationCommand(options, std::cout, std::cerr);
    }
    return usage(("unknown command '" + command + "'").c_str());
}
