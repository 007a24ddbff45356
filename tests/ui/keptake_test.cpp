// The program ended from outside while a take is unsaved: SIGTERM closes it
// as its close button does (the settings written, the take kept without a
// question), and even kill -9 leaves the take for the next start to offer.
// The program runs in a child process of this test program, which starts it
// as every window test does, in the folder of the test that starts it.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include <csignal>
#include <exception>
#include <filesystem>

#include "app/closesignals.h"
#include "app/widgets.h"
#include "mainwindow_fixture.h"
#include "perform/takerecovery.h"

namespace {

const char* const kChildFolder = "ORV_KEPT_TAKE_CHILD_FOLDER";

bool holdsANote(const QString& file)
{
    try {
        for (const RecordEntry& entry : readTakeFile(file.toStdString()))
            if (entry.kind == RecordKind::NoteOn)
                return true;
    } catch (const std::exception&) {
    }
    return false;
}

// The child: records a take in its parent's folder and waits to be ended.
class KeptTakeChild : public MainWindowTest {
protected:
    void SetUp() override
    {
        programFolder = qEnvironmentVariable(kChildFolder);
        if (programFolder.isEmpty())
            GTEST_SKIP() << "run by KeptTake's tests only";
        MainWindowTest::SetUp();
    }
};

class KeptTake : public MainWindowTest {
protected:
    QString keptFile() const { return folderPath() + QStringLiteral("unsaved-take.mid"); }

    // Stops the program of this process and starts one in a child, with a
    // take recorded and the grid colour changed; answers once its take is
    // on disk.
    void startRecordingChild()
    {
        stopProgram();
        QFile::remove(settingsPath());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(kChildFolder), programFolder);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=KeptTakeChild.DISABLED_RecordsUntilEnded"),
                     QStringLiteral("--gtest_also_run_disabled_tests")});
        ASSERT_TRUE(child.waitForStarted());
        ASSERT_TRUE(waitUntil([this] { return QFile::exists(readyFile()); })) << child.readAll().toStdString();
    }

    QString readyFile() const { return folderPath() + QStringLiteral("child-ready"); }

    QProcess child;
};

}  // namespace

TEST_F(KeptTakeChild, DISABLED_RecordsUntilEnded)
{
    const CloseSignals closeSignals([this] { form->closeWithoutQuestions(); });
    form->Blue2->trigger();
    form->ArecStart->trigger();
    for (int y = 60; y <= 200; y += 20)
        moveMouse(form->Image4, {150, y});
    // The window keeps the take on disk by itself, without being closed.
    const QString kept = folderPath() + QStringLiteral("unsaved-take.mid");
    ASSERT_TRUE(waitUntil([&] { return holdsANote(kept); }));
    QFile ready(folderPath() + QStringLiteral("child-ready"));
    ASSERT_TRUE(ready.open(QIODevice::WriteOnly));
    ready.close();
    QTimer::singleShot(20000, [] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
}

TEST_F(KeptTake, SigtermWritesTheSettingsAndKeepsTheTakeForTheNextStart)
{
    startRecordingChild();
    ASSERT_EQ(kill(pid_t(child.processId()), SIGTERM), 0);
    ASSERT_TRUE(child.waitForFinished(20000));
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output.toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();

    QFile settings(settingsPath());
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly)) << "written by the close";
    EXPECT_EQ(settings.readAll().split('\n').value(19).trimmed(), QByteArray("Blue"));
    EXPECT_TRUE(holdsANote(keptFile()));

    int asked = 0;
    askAboutKeptTake = [&] {
        ++asked;
        return TForm1::KeptTakeAnswer::Restore;
    };
    startProgram();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(session->hasUnsavedTake()) << "quitting asks about it again";
    idle();
    EXPECT_TRUE(form->ArePlay->isEnabled());
    TForm1::TakeAnswer answer = TForm1::TakeAnswer::Cancel;
    form->AskAboutTake = [&] { return answer; };
    EXPECT_FALSE(form->close());
    answer = TForm1::TakeAnswer::Discard;
    EXPECT_TRUE(form->close());
    EXPECT_FALSE(QFile::exists(keptFile())) << "let go at the question";
}

TEST_F(KeptTake, KillNineWhileRecordingLeavesTheTakeThatTheNextStartOffers)
{
    startRecordingChild();
    child.kill();
    ASSERT_TRUE(child.waitForFinished(20000));
    ASSERT_TRUE(holdsANote(keptFile()));

    int asked = 0;
    askAboutKeptTake = [&] {
        ++asked;
        return TForm1::KeptTakeAnswer::Discard;
    };
    startProgram();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(session->hasUnsavedTake());
    EXPECT_FALSE(QFile::exists(keptFile()));
    restartProgram();
    EXPECT_EQ(asked, 1) << "a take discarded is not offered again";
}

TEST_F(KeptTake, ATakeFileThatCannotBeReadIsSetAsideWithAMessage)
{
    stopProgram();
    QFile broken(keptFile());
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("MThd");
    broken.close();
    askAboutKeptTake = [] { return TForm1::KeptTakeAnswer::Restore; };
    startProgram();
    EXPECT_FALSE(session->hasUnsavedTake());
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages.front().contains(QStringLiteral("unsaved-take.mid.unreadable")));
    EXPECT_TRUE(QFile::exists(keptFile() + QStringLiteral(".unreadable")));
    EXPECT_FALSE(QFile::exists(keptFile()));
}
