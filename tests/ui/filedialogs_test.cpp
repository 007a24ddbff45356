// The file dialogs start where the user last read or saved, a save proposes a
// take's name, and the title says what is saved.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

#include <gtest/gtest.h>

#include "app/filedialogs.h"
#include "platform/inifile.h"

namespace {

struct DialogSeen {
    QString title;
    QString folder;
};

}  // namespace

TEST(FileDialogs, SaveStartsInTheFolderLastUsedAndProposesTheTakesName)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    ASSERT_TRUE(QDir(home.path()).mkpath(QStringLiteral("songs")));
    const QString songs = home.path() + QStringLiteral("/songs");
    platform::IniFile settings =
        platform::IniFile::load((home.path() + QStringLiteral("/orvelline.ini")).toStdString());
    EXPECT_EQ(lastFolder(settings), QString());

    rememberFolderOf(settings, songs + QStringLiteral("/tune.mid"));
    EXPECT_EQ(lastFolder(settings), songs);

    auto seen = std::make_shared<DialogSeen>();
    QTimer::singleShot(0, [seen] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        seen->title = dialog->windowTitle();
        seen->folder = dialog->directory().absolutePath();
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const QString chosen = askForFile(nullptr, settings,
                                      {QStringLiteral("Save take as MIDI file"),
                                       {QStringLiteral("MIDI files (*.mid)")},
                                       {QStringLiteral("mid")},
                                       takeName("tune.mid", QDate(2026, 12, 11)) + QStringLiteral(".mid"),
                                       true});
    EXPECT_EQ(seen->title, QStringLiteral("Save take as MIDI file"));
    EXPECT_EQ(seen->folder, songs);
    EXPECT_EQ(chosen, songs + QStringLiteral("/tune take.mid"));

    // Without a song, the day names the take; a folder since removed is forgotten.
    EXPECT_EQ(takeName("", QDate(2026, 12, 11)), QStringLiteral("take 2026-12-11"));
    ASSERT_TRUE(QDir(songs).removeRecursively());
    EXPECT_EQ(lastFolder(settings), QString());
}
