#include "app/commandline.h"

#include "midispec/version.h"

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine line;
    bool optionsEnded = false;
    // The first argument is the program itself.
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && (argument == QLatin1String("--help") || argument == QLatin1String("-h"))) {
            line.action = CommandLine::Action::Help;
            return line;
        } else if (!optionsEnded && (argument == QLatin1String("--version") || argument == QLatin1String("-V"))) {
            line.action = CommandLine::Action::Version;
            return line;
        } else if (!optionsEnded && argument.size() > 1 && argument.startsWith(QLatin1Char('-'))) {
            line.action = CommandLine::Action::Error;
            line.problem = QStringLiteral("unknown option '%1'").arg(argument);
            return line;
        } else if (!line.midiFile.isEmpty()) {
            line.action = CommandLine::Action::Error;
            line.problem = QStringLiteral("one MIDI file at a time, not '%1' as well").arg(argument);
            return line;
        } else {
            line.midiFile = argument;
        }
    }
    return line;
}

QString commandLineHelp()
{
    return QStringLiteral("Usage: orvelline [FILE.mid]\n"
                          "\n"
                          "A theremin for General MIDI tone modules: move the pointer over the picture\n"
                          "to play. With FILE.mid, starts with that file read, as \"Read MIDI file\" does,\n"
                          "ready to play along with it (\"Play MIDI\").\n"
                          "\n"
                          "Options:\n"
                          "  -h, --help     This text.\n"
                          "  -V, --version  The program's version.\n"
                          "\n"
                          "In the window, F1 shows how to play. orvelline-midi looks into, plays and\n"
                          "renders MIDI files from the command line.\n");
}

QString versionLine()
{
    return QStringLiteral("orvelline " ORVELLINE_VERSION);
}
