#include "app/messagebox.h"

#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <thread>

#include <gtest/gtest.h>

#include "mididata/messagesink.h"

namespace {

struct Shown {
    QStringList texts;
    bool allOnWindowThread = true;
};

MessageBoxSink::Display recordInto(Shown& shown)
{
    return [&shown](const QString& text) {
        shown.texts << text;
        if (QThread::currentThread() != qApp->thread())
            shown.allOnWindowThread = false;
    };
}

}  // namespace

TEST(MessageBoxSink, ShowsWindowThreadReportsBeforeReportReturns)
{
    Shown shown;
    MessageBoxSink sink(recordInto(shown));
    reportMessage("Illegal data version.  Get latest version of MIDI Vellamondo.");
    ASSERT_EQ(shown.texts.size(), 1);
    EXPECT_EQ(shown.texts[0], QStringLiteral("Illegal data version.  Get latest version of MIDI Vellamondo."));
}

TEST(MessageBoxSink, PostsOtherThreadsReportsToWindowThreadWithoutWaiting)
{
    Shown shown;
    MessageBoxSink sink(recordInto(shown));
    std::thread timerThread([] {
        reportMessage("Timer Error");
        reportMessage("second");
    });
    timerThread.join();
    // The reporting thread has finished although the window thread has shown nothing yet.
    EXPECT_TRUE(shown.texts.isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown.texts.size() == 2; }, 2000));
    EXPECT_EQ(shown.texts, (QStringList{QStringLiteral("Timer Error"), QStringLiteral("second")}));
    EXPECT_TRUE(shown.allOnWindowThread);
}

TEST(MessageBoxSink, PutsBackTheSinkItReplacedWhenDestroyed)
{
    Shown outer, inner;
    MessageBoxSink outerSink(recordInto(outer));
    {
        MessageBoxSink innerSink(recordInto(inner));
        reportMessage("inner");
    }
    reportMessage("outer");
    EXPECT_EQ(inner.texts, QStringList{QStringLiteral("inner")});
    EXPECT_EQ(outer.texts, QStringList{QStringLiteral("outer")});
}

TEST(MessageBoxSink, ShowsTextInPlainModalMessageBoxByDefault)
{
    MessageBoxSink sink;
    QString text;
    bool plain = false;
    // The box is modal: look at it from inside its own event loop, then close it.
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        text = box->text();
        plain = box->icon() == QMessageBox::NoIcon;
        box->accept();
    });
    closer.start();
    reportMessage("The MIDI device is not available.");
    EXPECT_EQ(text, QStringLiteral("The MIDI device is not available."));
    EXPECT_TRUE(plain);
}
