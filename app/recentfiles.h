#pragma once
// The last MIDI files read, newest first, as the "Recent files" submenu of the
// window's menu. The list lives in orvelline.ini:
//
//   [RecentFiles]
//   file1=/home/me/songs/a.mid
//   ...
//
// A file that is gone stays listed (a disk may be unplugged for a while);
// choosing it reports the error as reading any broken file does.
#include <QObject>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <functional>

class QMenu;

class RecentFiles : public QObject {
public:
    static constexpr int kMaxFiles = 5;

    // Fills menu from the settings in iniPath; choosing an entry calls open with its path.
    RecentFiles(QMenu* menu, std::filesystem::path iniPath, std::function<void(const QString&)> open, QObject* parent);

    // Puts path first (once), keeps kMaxFiles and saves the list.
    void add(const QString& path);
    QStringList files() const { return files_; }

private:
    QMenu* menu_;
    std::filesystem::path iniPath_;
    std::function<void(const QString&)> open_;
    QStringList files_;

    void rebuild();
};

// The list as orvelline.ini holds it; bad or empty keys are left out.
QStringList loadRecentFiles(const std::filesystem::path& iniPath);
void saveRecentFiles(const std::filesystem::path& iniPath, const QStringList& files);
