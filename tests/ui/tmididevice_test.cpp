#include "midiout/ui/tmididevice.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QListWidget>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

#include <gtest/gtest.h>

#include "app/messagebox.h"
#include "midiout/midigateway.h"
#include "platform/capture.h"
#include "platform/midiout.h"

namespace {

class MidiDeviceWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        log = &platform::installCaptureBackend(2);
    }

    void TearDown() override { platform::removeCaptureBackend(); }

    void writeProfile(const QByteArray& text)
    {
        QFile profile(folderPath() + QStringLiteral("device.prf"));
        ASSERT_TRUE(profile.open(QIODevice::WriteOnly));
        ASSERT_EQ(profile.write(text), text.size());
    }

    QByteArray readProfile()
    {
        QFile profile(folderPath() + QStringLiteral("device.prf"));
        return profile.open(QIODevice::ReadOnly) ? profile.readAll() : QByteArray();
    }

    // A window whose modal show at creation is only counted, with its profile
    // going to the temporary folder.
    std::unique_ptr<TMidiDevice> makeWindow()
    {
        return std::make_unique<TMidiDevice>(gateway, folder.path().toStdString(), nullptr,
                                             [this](TMidiDevice&) { ++modalShows; });
    }

    std::unique_ptr<TMidiDevice> makeShownWindow()
    {
        auto window = makeWindow();
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        return window;
    }

    QString folderPath() const { return folder.path() + QLatin1Char('/'); }

    static void clickLine(QListWidget* list, int row)
    {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    }

    // Through the window system, as a real double click arrives: press,
    // release, press, double click, release.
    static void doubleClickLine(QListWidget* list, int row)
    {
        QWidget* window = list->window();
        const QPoint at = list->viewport()->mapTo(window, list->visualItemRect(list->item(row)).center());
        QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, at);
    }

    // The device the gateway sends to, as the capture log sees it.
    int deviceReached(TMidiDevice& window)
    {
        log->clear();
        window.gateway().SendNoteOn(0, 60, 0);
        const auto messages = log->messages();
        return messages.size() == 1 ? messages[0].device : -100;
    }

    QTemporaryDir folder;
    MidiGateway gateway;
    platform::CaptureLog* log = nullptr;
    int modalShows = 0;
    QStringList shown;
    MessageBoxSink sink{[this](const QString& text) { shown << text; }};
};

TEST_F(MidiDeviceWindow, HasTheDesignedControlsCaptionsAndGeometry)
{
    auto window = makeShownWindow();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("MidiDevice"));
    EXPECT_EQ(window->size(), QSize(451, 295));

    auto* panel = window->findChild<QFrame*>(QStringLiteral("Panel1"));
    ASSERT_EQ(panel, window->Panel1);
    EXPECT_EQ(panel->geometry(), QRect(0, 0, 443, 233));
    EXPECT_EQ(panel->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(panel->frameWidth(), 3);

    auto* list = window->findChild<QListWidget*>(QStringLiteral("DevSummListBox1"));
    ASSERT_EQ(list, window->DevSummListBox1);
    EXPECT_EQ(list->parentWidget(), panel);
    EXPECT_EQ(list->geometry(), panel->contentsRect());

    const struct {
        const char* name;
        QRect geometry;
        const char* caption;
        bool visible;
    } buttons[] = {
        {"OpenButton1", {32, 240, 75, 25}, "Open Device", true},
        {"ErrorTestButton1", {128, 240, 75, 25}, "Error Test", false},
        {"CloseButton", {352, 240, 75, 25}, "Close", true},
    };
    for (const auto& expected : buttons) {
        SCOPED_TRACE(expected.name);
        auto* button = window->findChild<QPushButton*>(QString::fromLatin1(expected.name));
        ASSERT_NE(button, nullptr);
        // At its designed place (Close keeps its right end), at least as wide as
        // designed, wider when its caption needs it (windowfit_test.cpp).
        EXPECT_EQ(button->y(), expected.geometry.y());
        EXPECT_EQ(button->height(), expected.geometry.height());
        EXPECT_GE(button->width(), expected.geometry.width());
        if (button == window->CloseButton)
            EXPECT_EQ(button->geometry().right(), expected.geometry.right());
        else
            EXPECT_EQ(button->x(), expected.geometry.x());
        EXPECT_EQ(button->text(), QString::fromLatin1(expected.caption));
        EXPECT_EQ(button->isVisible(), expected.visible);
    }
    auto* action = window->findChild<QAction*>(QStringLiteral("MIDIOpen"));
    ASSERT_EQ(action, window->MIDIOpen);
}

TEST_F(MidiDeviceWindow, StartsAtDesignedPlaceOnDefaultRouteAndIsTheProgramsDevice)
{
    EXPECT_EQ(MidiDevice, nullptr);
    {
        auto window = makeWindow();
        EXPECT_EQ(MidiDevice, window.get());
        EXPECT_EQ(window->pos(), QPoint(200, 109));
        EXPECT_EQ(window->gateway().DeviceID, -1);
        EXPECT_EQ(log->opens(), 1);
        EXPECT_EQ(modalShows, 0);
        EXPECT_FALSE(window->isVisible());
    }
    EXPECT_EQ(MidiDevice, nullptr);
}

TEST_F(MidiDeviceWindow, ListsDefaultRouteFirstAndSelectsTheOpenDevice)
{
    auto window = makeShownWindow();
    QStringList lines;
    for (int row = 0; row < window->DevSummListBox1->count(); ++row)
        lines << window->DevSummListBox1->item(row)->text();
    EXPECT_EQ(lines, (QStringList{QStringLiteral("Default route (Capture 1) MIDI Mapper"),
                                  QStringLiteral("Capture 1 MIDI Port"), QStringLiteral("Capture 2 MIDI Port")}));
    EXPECT_EQ(window->DevSummListBox1->currentRow(), 0);
    EXPECT_TRUE(window->DevSummListBox1->item(0)->isSelected());
    EXPECT_TRUE(window->MIDIOpen->isEnabled());

    // Shown again after another device was chosen, the list marks that one.
    clickLine(window->DevSummListBox1, 2);
    QTest::mouseClick(window->OpenButton1, Qt::LeftButton);
    ASSERT_FALSE(window->isVisible());
    window->show();
    EXPECT_EQ(window->DevSummListBox1->count(), 3);
    EXPECT_EQ(window->DevSummListBox1->selectedItems(), QList<QListWidgetItem*>{window->DevSummListBox1->item(2)});
}

TEST_F(MidiDeviceWindow, OpenDeviceOpensTheChosenLinesDeviceAndClosesTheWindow)
{
    auto window = makeShownWindow();
    clickLine(window->DevSummListBox1, 2);
    QTest::mouseClick(window->OpenButton1, Qt::LeftButton);

    EXPECT_EQ(log->opens(), 2);
    EXPECT_EQ(log->closes(), 1);
    EXPECT_EQ(window->gateway().DeviceID, 1);
    EXPECT_EQ(deviceReached(*window), 1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(MidiDeviceWindow, DoubleClickOnLineOpensItsDevice)
{
    auto window = makeShownWindow();
    doubleClickLine(window->DevSummListBox1, 1);

    EXPECT_EQ(window->gateway().DeviceID, 0);
    EXPECT_EQ(deviceReached(*window), 0);
    EXPECT_EQ(log->opens(), 2);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MidiDeviceWindow, FailedOpenShowsThePlatformsTextAndKeepsTheWindowOpen)
{
    auto window = makeShownWindow();
    log->setOpenResult(platform::MidiBadDeviceId);
    clickLine(window->DevSummListBox1, 1);
    QTest::mouseClick(window->OpenButton1, Qt::LeftButton);

    EXPECT_EQ(shown, QStringList{QString::fromStdString(platform::midiOutGetErrorText(platform::MidiBadDeviceId))});
    EXPECT_FALSE(shown.value(0).isEmpty());
    EXPECT_TRUE(window->isVisible());
    // The old device was closed before the new one failed.
    EXPECT_FALSE(window->gateway().isOpen());
    EXPECT_EQ(window->gateway().DeviceID, -1);

    // Another choice from the same window then works.
    log->setOpenResult(platform::MmOk);
    clickLine(window->DevSummListBox1, 2);
    QTest::mouseClick(window->OpenButton1, Qt::LeftButton);
    EXPECT_EQ(window->gateway().DeviceID, 1);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MidiDeviceWindow, OpenDeviceIsEnabledExactlyWhileALineIsSelected)
{
    auto window = makeShownWindow();
    ASSERT_TRUE(window->MIDIOpen->isEnabled());
    ASSERT_TRUE(window->OpenButton1->isEnabled());

    window->DevSummListBox1->clearSelection();
    EXPECT_FALSE(window->MIDIOpen->isEnabled());
    EXPECT_FALSE(window->OpenButton1->isEnabled());
    QTest::mouseClick(window->OpenButton1, Qt::LeftButton);
    EXPECT_EQ(log->opens(), 1);
    EXPECT_TRUE(window->isVisible());

    clickLine(window->DevSummListBox1, 1);
    EXPECT_TRUE(window->MIDIOpen->isEnabled());
    EXPECT_TRUE(window->OpenButton1->isEnabled());
}

TEST_F(MidiDeviceWindow, CloseButtonClosesWithoutChangingTheDevice)
{
    auto window = makeShownWindow();
    clickLine(window->DevSummListBox1, 2);
    QTest::mouseClick(window->CloseButton, Qt::LeftButton);

    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_EQ(window->gateway().DeviceID, -1);
    EXPECT_EQ(log->opens(), 1);
    EXPECT_EQ(log->closes(), 0);
}

TEST_F(MidiDeviceWindow, ShowsItselfModallyWhenTheRememberedDeviceFailsAtCreation)
{
    writeProfile("0000\r\n109\r\n200\r\n451\r\n295\r\n3\r\n");
    auto window = makeWindow();
    EXPECT_EQ(modalShows, 1);
    EXPECT_FALSE(window->gateway().isOpen());
    EXPECT_EQ(shown, QStringList{QString::fromStdString(platform::midiOutGetErrorText(platform::MidiBadDeviceId))});
    EXPECT_FALSE(shown.value(0).isEmpty());
}

TEST_F(MidiDeviceWindow, ModalShowAtCreationWaitsForTheUsersChoice)
{
    log->setOpenResult(platform::MidiNoAudio);
    QStringList linesSeen;
    bool wasModal = false;
    QTimer chooser;
    chooser.setInterval(10);
    QObject::connect(&chooser, &QTimer::timeout, [&] {
        auto* window = qobject_cast<TMidiDevice*>(QApplication::activeModalWidget());
        if (window == nullptr)
            return;
        wasModal = window->isModal();
        for (int row = 0; row < window->DevSummListBox1->count(); ++row)
            linesSeen << window->DevSummListBox1->item(row)->text();
        log->setOpenResult(platform::MmOk);
        window->DevSummListBox1->setCurrentRow(1);
        window->OpenButton1->click();
    });
    chooser.start();
    TMidiDevice window(gateway, folder.path().toStdString());
    chooser.stop();

    EXPECT_TRUE(wasModal);
    EXPECT_EQ(linesSeen.size(), 3);
    EXPECT_EQ(window.gateway().DeviceID, 0);
    EXPECT_TRUE(window.gateway().isOpen());
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MidiDeviceWindow, TakesItsPlaceAndDeviceFromTheProfileAtCreation)
{
    writeProfile("0000\r\n150\r\n300\r\n640\r\n480\r\n1\r\n");
    auto window = makeShownWindow();
    EXPECT_EQ(window->pos(), QPoint(300, 150));
    EXPECT_EQ(window->size(), QSize(451, 295));
    EXPECT_EQ(window->gateway().DeviceID, 1);
    EXPECT_EQ(deviceReached(*window), 1);
    EXPECT_EQ(window->DevSummListBox1->selectedItems(), QList<QListWidgetItem*>{window->DevSummListBox1->item(2)});
    EXPECT_EQ(modalShows, 0);
    EXPECT_TRUE(shown.isEmpty());
}

TEST_F(MidiDeviceWindow, DestroyClosesTheDeviceAndWritesProfileWithWindowPosition)
{
    {
        auto window = makeShownWindow();
        window->move(320, 160);
        clickLine(window->DevSummListBox1, 2);
        QTest::mouseClick(window->OpenButton1, Qt::LeftButton);
        ASSERT_EQ(window->gateway().DeviceID, 1);
    }
    EXPECT_EQ(MidiDevice, nullptr);
    EXPECT_EQ(log->opens(), log->closes());
    EXPECT_EQ(readProfile(), QByteArrayLiteral("0000\r\n160\r\n320\r\n451\r\n295\r\n1\r\n"));

    // The next run starts where this one left off.
    auto next = makeWindow();
    EXPECT_EQ(next->pos(), QPoint(320, 160));
    EXPECT_EQ(deviceReached(*next), 1);
}

}  // namespace
