#include "app/appfolders.h"

#include <filesystem>

#include "platform/userfolders.h"

namespace {

QString withSeparator(const std::filesystem::path& folder)
{
    QString text = QString::fromStdString(folder.string());
    const QChar separator = QLatin1Char(std::filesystem::path::preferred_separator);
    if (!text.endsWith(separator))
        text += separator;
    return text;
}

}  // namespace

QString settingsFolderPath()
{
    return withSeparator(platform::settingsFolder());
}

QStringList pictureFolderPaths()
{
    QStringList folders;
    for (const std::filesystem::path& folder : platform::extraFolders())
        folders << withSeparator(folder);
    return folders;
}
