#include "app/appfolders.h"

#include <filesystem>

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

QString settingsFolderPath(const platform::ProgramFolders& folders)
{
    return withSeparator(folders.settingsFolder());
}

QStringList pictureFolderPaths(const platform::ProgramFolders& program)
{
    QStringList folders;
    for (const std::filesystem::path& folder : program.extraFolders())
        folders << withSeparator(folder);
    return folders;
}
