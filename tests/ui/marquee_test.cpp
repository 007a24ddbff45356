// The scrolling status text in Image2: where each tick draws, how the text
// comes round again, and clearing.
#include <QFontMetrics>
#include <QImage>
#include <QTimer>

#include "app/widgets.h"
#include "mainwindow_fixture.h"

namespace {

class Marquee : public MainWindowTest {
protected:
    QColor face() const { return form->Image2->palette().color(QPalette::Button); }

    // The leftmost column with a pixel that is not the background, or -1.
    int leftmostInk() const
    {
        const QImage& canvas = form->Image2->Picture;
        for (int x = 0; x < canvas.width(); ++x)
            for (int y = 0; y < canvas.height(); ++y)
                if (canvas.pixelColor(x, y) != face())
                    return x;
        return -1;
    }

    bool blank() const { return leftmostInk() == -1; }
};

TEST_F(Marquee, StartsBlankAndStopped)
{
    EXPECT_EQ(form->Image2->Picture.size(), QSize(65, 17));
    EXPECT_FALSE(form->Image2->Stretch);
    EXPECT_TRUE(blank());
    EXPECT_FALSE(form->Timer1->isActive());
}

TEST_F(Marquee, TextEntersAtTheRightEdgeAndMovesTwoPixelsPerTick)
{
    form->ShowMarquee(QStringLiteral("Replay"));
    const QFontMetrics metrics(form->Image2->font());
    EXPECT_EQ(form->MarqueeWidth, metrics.horizontalAdvance(QStringLiteral("Replay")));
    EXPECT_TRUE(form->MarqueeText.startsWith(QStringLiteral("Replay ")));
    EXPECT_GE(metrics.horizontalAdvance(form->MarqueeText), 65);
    EXPECT_LT(metrics.horizontalAdvance(form->MarqueeText.chopped(1)), 65);
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->MarqueeX, 65);
    EXPECT_EQ(form->MarqueeY, 2);

    // The first tick draws at x = 65, just outside.
    form->Timer1Timer();
    EXPECT_TRUE(blank());
    EXPECT_EQ(form->MarqueeX, 63);

    // From then on the text moves left by two pixels with every tick (its
    // first letter may start a pixel or two after the place it is drawn at).
    int previousInk = -1;
    for (int drawnAt = 63; drawnAt > 20; drawnAt -= 2) {
        form->Timer1Timer();
        EXPECT_EQ(form->MarqueeX, drawnAt - 2);
        if (drawnAt > 61)
            continue;
        const int ink = leftmostInk();
        ASSERT_GE(ink, drawnAt) << "drawn at " << drawnAt;
        ASSERT_LE(ink, drawnAt + 3) << "drawn at " << drawnAt;
        if (previousInk >= 0) {
            EXPECT_EQ(ink, previousInk - 2) << "drawn at " << drawnAt;
        }
        previousInk = ink;
    }
}

TEST_F(Marquee, TextComesRoundFromTheRightOnceItHasLeftAtTheLeft)
{
    form->ShowMarquee(QStringLiteral("Recording"));
    const int width = form->MarqueeWidth;
    int x = form->MarqueeX;
    bool cameRound = false;
    for (int tick = 0; tick < 200 && !cameRound; ++tick) {
        form->Timer1Timer();
        if (x - 2 + width < 0) {
            EXPECT_EQ(form->MarqueeX, x - 2 + 65 - 1);
            cameRound = true;
        } else {
            EXPECT_EQ(form->MarqueeX, x - 2);
        }
        x = form->MarqueeX;
    }
    EXPECT_TRUE(cameRound);
    // While the head leaves on the left, it enters again from the right: ink at both ends.
    form->MarqueeX = -5;
    form->Timer1Timer();
    const QImage& canvas = form->Image2->Picture;
    bool inkAtRight = false;
    for (int column = 55; column < 65; ++column)
        for (int y = 0; y < canvas.height(); ++y)
            inkAtRight = inkAtRight || canvas.pixelColor(column, y) != face();
    EXPECT_TRUE(inkAtRight);
}

TEST_F(Marquee, StopClearsTheWindowAndTheTimerAndAnotherTextStartsAtTheRightAgain)
{
    form->ShowMarquee(QStringLiteral("Recording"));
    for (int tick = 0; tick < 15; ++tick)
        form->Timer1Timer();
    ASSERT_FALSE(blank());

    form->StopMarquee();
    EXPECT_TRUE(blank());
    EXPECT_FALSE(form->Timer1->isActive());

    form->ShowMarquee(QStringLiteral("Replay"));
    EXPECT_EQ(form->MarqueeX, 65);
    EXPECT_TRUE(form->MarqueeText.startsWith(QStringLiteral("Replay")));
}

TEST_F(Marquee, TheTimerDrivesTheText)
{
    form->ShowMarquee(QStringLiteral("Replay"));
    EXPECT_TRUE(QTest::qWaitFor([this] { return form->MarqueeX < 63; }, 5000));
}

}  // namespace
