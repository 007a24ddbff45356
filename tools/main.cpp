// orvelline-midi: looks into Standard MIDI Files the way Orvelline reads them.
#include <cstring>
#include <iostream>
#include <string>

#include "mididata/messagesink.h"
#include "tools/copycommand.h"
#include "tools/songinfo.h"
#include "tools/songjson.h"
#include "tools/textcommand.h"

namespace {

const char* const kHelp =
    "Usage: orvelline-midi COMMAND ARGUMENTS\n"
    "\n"
    "Looks into Standard MIDI Files (formats 0 and 1) as Orvelline reads them.\n"
    "\n"
    "Commands:\n"
    "  info FILE       A short summary: format, division, tracks, length in ticks\n"
    "                  and seconds, tempo and key at the start, reset messages,\n"
    "                  and how long reading took.\n"
    "  json FILE       The song as read, as one JSON document: header values,\n"
    "                  tempo, key, bar count, copyright, and every track with\n"
    "                  every event (notes with their durations).\n"
    "  text FILE       Each track's heading and each event as one line of text.\n"
    "  copy IN OUT     Reads IN and writes it to OUT with Orvelline's writer.\n"
    "                  OUT is replaced only by a complete file.\n"
    "  --help          This text.\n"
    "\n"
    "Exit status: 0 on success, 1 when a file cannot be read or written\n"
    "(the reason is printed on standard error), 2 for a usage error.\n";

int usage(const char* problem) {
    std::cerr << "orvelline-midi: " << problem << "\nTry 'orvelline-midi --help'.\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    setMessageSink([](const std::string& m) { std::cerr << m << '\n'; });
    if (argc < 2) return usage("no command given");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kHelp;
        return 0;
    }
    const int args = argc - 2;
    if (command == "info" || command == "json" || command == "text") {
        if (args != 1) return usage((command + " takes one FILE").c_str());
        if (command == "info") return runInfoCommand(argv[2], std::cout, std::cerr);
        if (command == "json") return runJsonCommand(argv[2], std::cout, std::cerr);
        return runTextCommand(argv[2], std::cout, std::cerr);
    }
    if (command == "copy") {
        if (args != 2) return usage("copy takes IN and OUT");
        return runCopyCommand(argv[2], argv[3], std::cerr);
    }
    return usage(("unknown command '" + command + "'").c_str());
}
