#include "app/filedialogs.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

#include "platform/inifile.h"

namespace {

constexpr const char* kSection = "Folders";
constexpr const char* kKey = "last";

}  // namespace

QString lastFolder(const platform::IniFile& settings)
{
    const std::optional<std::string> stored = settings.value(kSection, kKey);
    if (!stored)
        return {};
    const QString folder = QFile::decodeName(platform::IniFile::unescape(*stored).c_str());
    return QFileInfo(folder).isDir() ? folder : QString();
}

void rememberFolderOf(platform::IniFile& settings, const QString& file)
{
    const QString folder = QFileInfo(file).absolutePath();
    settings.setValue(kSection, kKey, platform::IniFile::escape(QFile::encodeName(folder).toStdString()));
}

QString takeName(const std::string& songFile, const QDate& day)
{
    const QString song = QFileInfo(QString::fromStdString(songFile)).completeBaseName();
    if (!song.isEmpty())
        return song + QStringLiteral(" take");
    return QStringLiteral("take ") + day.toString(Qt::ISODate);
}

QString askForFile(QWidget* parent, platform::IniFile& settings, const FileRequest& request)
{
    QFileDialog dialog(parent, request.title, lastFolder(settings), request.filters.join(QStringLiteral(";;")));
    dialog.setObjectName(QStringLiteral("FileDialog"));
    if (request.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        dialog.setDefaultSuffix(request.suffixes.value(0));
        // The type chosen decides the extension, and so the format written.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &request](const QString& filter) {
            dialog.setDefaultSuffix(request.suffixes.value(int(request.filters.indexOf(filter))));
        });
        if (!request.proposedName.isEmpty())
            dialog.selectFile(request.proposedName);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    dialog.setSizeGripEnabled(true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString chosen = dialog.selectedFiles().front();
    rememberFolderOf(settings, chosen);
    return chosen;
}
