#include "app/recentfiles.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include <string>
#include <utility>

#include "app/handlerguard.h"
#include "mididata/messagesink.h"
#include "platform/inifile.h"

namespace {

const std::string kSection = "RecentFiles";

std::string keyOf(int index)
{
    return "file" + std::to_string(index + 1);
}

// File names may hold "&", which a menu takes as its accelerator mark.
QString captionOf(int index, const QString& path)
{
    QString name = QFileInfo(path).fileName();
    name.replace(QLatin1Char('&'), QLatin1String("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(name);
}

}  // namespace

QStringList loadRecentFiles(const std::filesystem::path& iniPath)
{
    platform::IniFile ini = platform::IniFile::load(iniPath);
    QStringList files;
    for (int i = 0; i < RecentFiles::kMaxFiles; ++i) {
        const std::optional<std::string> value = ini.value(kSection, keyOf(i));
        if (value && !value->empty())
            files << QFile::decodeName(QByteArray::fromStdString(*value));
    }
    return files;
}

void saveRecentFiles(const std::filesystem::path& iniPath, const QStringList& files)
{
    platform::IniFile ini = platform::IniFile::load(iniPath);
    for (int i = 0; i < RecentFiles::kMaxFiles; ++i)
        ini.setValue(kSection, keyOf(i), i < files.size() ? QFile::encodeName(files[i]).toStdString() : std::string());
    std::string error;
    if (!ini.save(&error))
        reportMessage("The list of recent files could not be saved: " + error);
}

RecentFiles::RecentFiles(QMenu* menu, std::filesystem::path iniPath, std::function<void(const QString&)> open,
                         QObject* parent)
    : QObject(parent),
      menu_(menu),
      iniPath_(std::move(iniPath)),
      open_(std::move(open)),
      files_(loadRecentFiles(iniPath_))
{
    rebuild();
}

void RecentFiles::add(const QString& path)
{
    const QString full = QFileInfo(path).absoluteFilePath();
    files_.removeAll(full);
    files_.prepend(full);
    while (files_.size() > kMaxFiles)
        files_.removeLast();
    saveRecentFiles(iniPath_, files_);
    rebuild();
}

void RecentFiles::rebuild()
{
    menu_->clear();
    for (int i = 0; i < files_.size(); ++i) {
        QAction* entry = menu_->addAction(captionOf(i, files_[i]));
        entry->setToolTip(QDir::toNativeSeparators(files_[i]));
        const QString path = files_[i];
        connect(entry, &QAction::triggered, this, [this, path] { runGuarded([&] { open_(path); }); });
    }
    // An empty submenu would not open at all; this says why it is empty.
    if (files_.isEmpty())
        menu_->addAction(QStringLiteral("(no files read yet)"))->setEnabled(false);
}
