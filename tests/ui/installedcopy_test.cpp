// Where the program keeps there.cfg and device.prf and finds its pictures:
// beside itself in a folder it can write, and in the per-user folder when it
// is installed in one it cannot.
#include <QAction>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMenu>

#include "app/widgets.h"
#include "mainwindow_fixture.h"

namespace {

class InstalledCopy : public MainWindowTest {
protected:
    void TearDown() override
    {
        MainWindowTest::TearDown();
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Starts the program again from a program folder it cannot write. The
    // permission bits make it so for everyone but the superuser, who writes
    // through them: for the superuser the writability check stands in.
    void restartReadOnly()
    {
        stopProgram();
        QFile::remove(settingsPath());
        QFile::remove(folderPath() + QStringLiteral("device.prf"));
        ASSERT_TRUE(QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner));
        programFolderWritable = [](const std::filesystem::path&) { return false; };
        startProgram();
    }

    static void writePicture(const QString& path, QRgb colour)
    {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(path, "BMP")) << path.toStdString();
    }

    // Opens the surface's menu and answers its picture entries, each as the
    // caption and the file it stands for.
    QList<std::pair<QString, QString>> pictureEntries()
    {
        form->PopupMenu2->popup(form->Panel1->mapToGlobal(QPoint(5, 5)));
        QList<std::pair<QString, QString>> entries;
        for (const QAction* entry : form->LoadImage2->actions())
            entries.append({entry->text(), entry->data().toString()});
        form->PopupMenu2->hide();
        return entries;
    }

    void choosePicture(const QString& file)
    {
        form->PopupMenu2->popup(form->Panel1->mapToGlobal(QPoint(5, 5)));
        for (QAction* entry : form->LoadImage2->actions())
            if (entry->data().toString() == file)
                entry->trigger();
        form->PopupMenu2->hide();
    }

    static QList<QByteArray> fileLines(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>();
    }
};

}  // namespace

TEST_F(InstalledCopy, AWritableProgramFolderKeepsItsFilesBesideTheProgram)
{
    writePicture(folderPath() + QStringLiteral("own.bmp"), qRgb(10, 20, 30));
    EXPECT_EQ(form->AppFolder, folderPath());
    EXPECT_EQ(pictureEntries(), (QList<std::pair<QString, QString>>{
                                    {QStringLiteral("own.bmp"), folderPath() + QStringLiteral("own.bmp")}}));

    form->Blue2->trigger();
    stopProgram();
    EXPECT_EQ(fileLines(settingsPath()).value(19).trimmed(), QByteArray("Blue"));
    EXPECT_TRUE(QFile::exists(folderPath() + QStringLiteral("device.prf")));
    EXPECT_FALSE(QFileInfo::exists(userFolderPath())) << "the per-user folder stays untouched";
}

TEST_F(InstalledCopy, AReadOnlyProgramFolderKeepsTheSettingsInThePerUserFolder)
{
    const QString own = folderPath() + QStringLiteral("own.bmp");
    writePicture(own, qRgb(10, 20, 30));
    restartReadOnly();

    EXPECT_EQ(form->AppFolder, userFolderPath());
    EXPECT_TRUE(QFileInfo(userFolderPath()).isDir()) << "made on demand";
    EXPECT_EQ(device->gateway().Folder, userFolderPath().toStdString());

    const QString users = userFolderPath() + QStringLiteral("users.bmp");
    writePicture(users, qRgb(200, 100, 0));
    EXPECT_EQ(pictureEntries(), (QList<std::pair<QString, QString>>{{QStringLiteral("own.bmp"), own},
                                                                    {QStringLiteral("users.bmp"), users}}));
    choosePicture(users);
    EXPECT_EQ(form->ImageFile, users);
    EXPECT_EQ(form->Shape1->Brush, QColor(200, 100, 0));
    form->Blue2->trigger();

    stopProgram();
    const QList<QByteArray> lines = fileLines(userFolderPath() + QStringLiteral("there.cfg"));
    ASSERT_GE(lines.size(), 21);
    EXPECT_EQ(lines[17].trimmed(), users.toUtf8());
    EXPECT_EQ(lines[19].trimmed(), QByteArray("Blue"));
    EXPECT_EQ(fileLines(userFolderPath() + QStringLiteral("device.prf")).value(0).trimmed(), QByteArray("0000"));
    EXPECT_FALSE(QFile::exists(settingsPath()));
    EXPECT_FALSE(QFile::exists(folderPath() + QStringLiteral("device.prf")));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();

    startProgram();
    EXPECT_TRUE(form->Blue2->isChecked()) << "the next start reads the per-user settings";
    EXPECT_EQ(form->ImageFile, users);
    EXPECT_EQ(form->Image1->Picture.pixelColor(0, 0), QColor(200, 100, 0));
}
