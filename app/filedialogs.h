#pragma once
// Every file dialog of the windows goes through askForFile: it starts in the
// folder the user last read from or saved to (orvelline.ini, [Folders]
// last=), a save proposes a name, and the title says what is read or saved.
#include <QDate>
#include <QString>
#include <QStringList>

#include <string>

class QWidget;

namespace platform {
class IniFile;
}

struct FileRequest {
    QString title;         // "Read MIDI file", "Save the recording as MIDI file"
    QStringList filters;   // "MIDI files (*.mid)", ...
    QStringList suffixes;  // saving: the extension each filter adds to a bare name
    QString proposedName;  // saving: the name offered, without folder
    bool save = false;
};

// The chosen file, or empty when the user cancelled. The chosen file's folder
// is remembered for the next dialog.
QString askForFile(QWidget* parent, platform::IniFile& settings, const FileRequest& request);

// The folder the next dialog starts in: the one remembered if it still exists, else none.
QString lastFolder(const platform::IniFile& settings);
void rememberFolderOf(platform::IniFile& settings, const QString& file);

// A take is named after the song it was played to ("Song take"), or after the
// day when no song was read ("take 2026-12-11").
QString takeName(const std::string& songFile, const QDate& day);
