#pragma once
// The last MIDI files read, newest first, as the "Recent files" submenu of the
// window's menu. The list lives in orvelline.ini:
//
//   [RecentFiles]
//   file1=/home/me/songs/a.mid
//   file2=/home/me/songs/Song \#2.mid
//   ...
//
// The names are stored escaped (IniFile::escape), so that every name reads
// back as it was, '#', ';' and even a line break in it included; a name too
// long for a line of the file is left out of it.
// A file that is gone stays listed (a disk may be unplugged for a while);
// choosing it reports the error as reading any broken file does.
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QMenu;

namespace platform {
class IniFile;
}

class RecentFiles : public QObject {
public:
    static constexpr int kMaxFiles = 5;

    // Fills menu from the settings; choosing an entry calls open with its path.
    RecentFiles(QMenu* menu, platform::IniFile& settings, std::function<void(const QString&)> open, QObject* parent);

    // Puts path first (once), keeps kMaxFiles and puts the list in the settings.
    void add(const QString& path);
    QStringList files() const { return files_; }

private:
    QMenu* menu_;
    platform::IniFile& settings_;
    std::function<void(const QString&)> open_;
    QStringList files_;

    void rebuild();
};
