// The recorder's buttons on the main window: a gesture played on the surface
// is recorded, replayed through the capture device with its own timing, and
// the buttons follow the recorder and the player. Replay times are checked
// from below only, since a loaded machine may always be late.
#include <QAction>
#include <QEventLoop>
#include <QTimer>
#include <QToolButton>

#include <functional>

#include "app/widgets.h"
#include "mainwindow_fixture.h"

namespace {

class RecorderWindow : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // The performer outlives the windows, and with them its recording.
        Performer().Entries.clear();
        idle();
    }

    void TearDown() override
    {
        Performer().StopRecording();
        MainWindowTest::TearDown();
    }

    void click(QToolButton* button)
    {
        ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
        idle();
    }
};

using States = std::vector<bool>;

}  // namespace

TEST_F(RecorderWindow, RecordsAGesturePlayedOnTheSurfaceAndReplaysItAtItsOwnSpeed)
{
    const int w = form->Image4->width();
    const int h = form->Image4->height();
    clearCaptured();

    click(form->SpeedButton1);
    EXPECT_TRUE(Performer().IsRecording());
    moveMouse(form->Image4, {w / 2, h / 4});
    QTest::qWait(150);
    moveMouse(form->Image4, {w / 3, h / 2});
    QTest::qWait(150);
    moveMouse(form->Image4, {w / 4, 3 * h / 4});
    QTest::qWait(100);
    moveMouse(form->Panel1, {2, 2});  // off the surface: the note ends
    click(form->recEndButton);
    EXPECT_FALSE(Performer().IsRecording());

    const std::vector<platform::CapturedMessage> live = capturedMessages();
    // Three bends, the note and its end, and the loudness where it changed.
    ASSERT_GE(live.size(), 6u);
    EXPECT_EQ(live.front().bytes[0], 0xE0);  // the first bend
    EXPECT_EQ(live.back().bytes, (Bytes{0x90, 69, 0}));

    clearCaptured();
    click(form->recReplay);
    // The opening snapshot sends ten messages on the first tick, then the
    // gesture follows; at its end the panel goes out again (twelve messages).
    const std::size_t snapshot = 10;
    const std::size_t resync = 12;
    ASSERT_TRUE(waitUntil([&] { return log->size() >= snapshot + live.size() + resync; }));
    ASSERT_TRUE(waitUntil([] { return !Performer().IsReplaying(); }));
    std::vector<platform::CapturedMessage> replayed = capturedMessages();
    ASSERT_EQ(replayed.size(), snapshot + live.size() + resync);
    EXPECT_EQ(replayed.back().bytes, (Bytes{0xB0, 11, Performer().ExpressionLevel}));
    replayed.resize(snapshot + live.size());

    EXPECT_EQ(replayed[0].bytes, (Bytes{0xB0, 0, 0}));
    EXPECT_EQ(replayed[2].bytes, (Bytes{0xC0, 78}));
    for (std::size_t i = 0; i < live.size(); ++i)
        EXPECT_EQ(replayed[snapshot + i].bytes, live[i].bytes) << "message " << i;
    // Each message is stamped when the pause after it is over, and a loaded
    // machine may stretch that pause without bound. The first message's stamp
    // is no later than the second message's sending, so times measured from
    // there are lower bounds of the replay's, give or take the clock's
    // milliseconds and a late first group.
    for (std::size_t i = 1; i < live.size(); ++i) {
        const std::int64_t liveGap = live[i].micros - live[1].micros;
        const std::int64_t replayGap = replayed[snapshot + i].micros - replayed[snapshot].micros;
        EXPECT_GE(replayGap, liveGap - 5000) << "message " << i;
    }
    // The gesture's own pauses come back: it took well over a quarter second.
    EXPECT_GE(replayed.back().micros - replayed[snapshot].micros, 300'000);
}

TEST_F(RecorderWindow, ButtonsFollowTheRecorderAndThePlayer)
{
    // Rec.Start, Rec.End, Replay, Stop.
    const auto states = [this] {
        return States{form->ArecStart->isEnabled(), form->ArecEnd->isEnabled(), form->ArePlay->isEnabled(),
                      form->Stop->isEnabled()};
    };
    EXPECT_EQ(states(), (States{true, false, false, false}));

    click(form->SpeedButton1);
    EXPECT_EQ(states(), (States{false, true, false, false}));
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_TRUE(form->MarqueeText.startsWith(QStringLiteral("Recording")));

    click(form->recEndButton);
    EXPECT_EQ(states(), (States{true, false, true, false}));
    EXPECT_FALSE(form->Timer1->isActive());

    // A replay long enough to be stopped.
    Performer().Entries.push_back({3000, 7, 10});
    clearCaptured();
    click(form->recReplay);
    EXPECT_TRUE(Performer().IsReplaying());
    EXPECT_EQ(states(), (States{true, false, false, true}));
    EXPECT_TRUE(form->MarqueeText.startsWith(QStringLiteral("Replay")));
    EXPECT_TRUE(form->Timer1->isActive());

    // A recording may start while the replay plays; Replay stays off while it runs.
    click(form->SpeedButton1);
    EXPECT_EQ(states(), (States{false, true, false, true}));
    click(form->recEndButton);

    click(form->StopButton);
    EXPECT_FALSE(Performer().IsReplaying());
    EXPECT_EQ(states(), (States{true, false, true, false}));
    EXPECT_FALSE(form->Timer1->isActive());
    // Stop silences all sixteen channels, then the panel goes out again.
    const std::vector<Bytes> sent = captured();
    ASSERT_GE(sent.size(), 44u);
    EXPECT_EQ(sent[sent.size() - 44], (Bytes{0xB0, 120, 0}));
    EXPECT_EQ(sent[sent.size() - 13], (Bytes{0xBF, 121, 0}));
    EXPECT_EQ(sent.back(), (Bytes{0xB0, 11, 127}));
}

TEST_F(RecorderWindow, TheEndOfAReplayClearsTheStatusText)
{
    Performer().Entries.push_back({0, 7, 10});
    Performer().Entries.push_back({100, 7, 20});
    idle();
    click(form->recReplay);
    EXPECT_TRUE(form->Timer1->isActive());

    EXPECT_TRUE(waitUntil([this] { return !form->Timer1->isActive(); }));
    EXPECT_FALSE(Performer().IsReplaying());
    idle();
    EXPECT_TRUE(form->ArePlay->isEnabled());
    EXPECT_FALSE(form->Stop->isEnabled());
}
