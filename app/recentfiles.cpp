#include "app/recentfiles.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>

#include <string>
#include <utility>

#include "app/handlerguard.h"
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

// The list as orvelline.ini holds it; empty keys are left out.
QStringList recentFilesIn(const platform::IniFile& ini)
{
    QStringList files;
    for (int i = 0; i < RecentFiles::kMaxFiles; ++i) {
        const std::optional<std::string> value = ini.value(kSection, keyOf(i));
        if (value && !value->empty())
            files << QFile::decodeName(QByteArray::fromStdString(platform::IniFile::unescape(*value)));
    }
    return files;
}

void putRecentFiles(platform::IniFile& ini, const QStringList& files)
{
    int stored = 0;
    for (const QString& file : files) {
        const std::string value = platform::IniFile::escape(QFile::encodeName(file).toStdString());
        if (keyOf(stored).size() + 1 + value.size() <= platform::IniFile::kMaxLineLength)
            ini.setValue(kSection, keyOf(stored++), value);
    }
    while (stored < RecentFiles::kMaxFiles)
        ini.setValue(kSection, keyOf(stored++), std::string());
}

}  // namespace

RecentFiles::RecentFiles(QMenu* menu, platform::IniFile& settings, std::function<void(const QString&)> open,
                         QObject* parent)
    : QObject(parent), menu_(menu), settings_(settings), open_(std::move(open)), files_(recentFilesIn(settings_))
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
    putRecentFiles(settings_, files_);
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
