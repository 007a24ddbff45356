// "Export audio..." in the window's menu: Ctrl+E writes the recorded take as
// an audio file named in the (replaced) save dialog.
#include <QAction>
#include <QFile>
#include <QMenu>

#include "app/widgets.h"
#include "mainwindow_fixture.h"
#include "platform/soundfont.h"

TEST_F(MainWindowTest, ExportAudioWritesTheTakeOnCtrlE)
{
    if (platform::findSoundFont({}, platform::systemSoundFonts()).empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    ASSERT_NE(form->ExportAudio, nullptr);
    EXPECT_EQ(form->ExportAudio->text(), QStringLiteral("Export audio..."));
    EXPECT_EQ(form->ExportAudio->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
    EXPECT_TRUE(form->PopupMenu1->actions().contains(form->ExportAudio));
    Performer().Entries.clear();
    idle();
    EXPECT_FALSE(form->ExportAudio->isEnabled()) << "nothing to export before a take";

    form->ArecStartExecute();
    moveMouse(form->Image4, {form->Image4->width() / 2, form->Image4->height() / 3});
    QTest::qWait(100);
    moveMouse(form->Panel1, {2, 2});
    form->ArecEndExecute();
    idle();
    ASSERT_TRUE(form->ExportAudio->isEnabled());

    const QString path = folder.filePath(QStringLiteral("take.flac"));
    int asked = 0;
    form->ExportDialog1 = [&asked, path] {
        ++asked;
        return path;
    };
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form->BSM, Qt::Key_E, Qt::ControlModifier);
    EXPECT_EQ(asked, 1);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(file.read(4), QByteArray("fLaC"));
    EXPECT_GT(file.size(), 1000);
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
}
