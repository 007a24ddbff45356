#pragma once
// What "orvelline" takes on its command line: a MIDI file to read at start
// (as a file manager's "Open with" passes it), --help and --version. Qt's
// own options (-platform, -style, ...) are left to the QApplication, which
// takes them out of argv before this reads it.
#include <QString>
#include <QStringList>

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString midiFile;  // empty: none
    QString problem;   // for Error
};

CommandLine parseCommandLine(const QStringList& arguments);

// The text --help prints.
QString commandLineHelp();
// "orvelline 0.1.0"
QString versionLine();
