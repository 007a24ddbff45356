// Pointer movements over the playing surface, its strips and the panel around
// it, delivered as real mouse-move events, against the capture device.
#include <QCheckBox>
#include <QComboBox>
#include <QStatusBar>
#include <QToolButton>

#include "app/widgets.h"
#include "mainwindow_fixture.h"

namespace {

class PlayingSurface : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        clearCaptured();
    }

    QString status() const { return form->StatusBar1->currentMessage(); }

    static Bytes bend(int value) { return {0xE0, std::uint8_t(value & 0x7F), std::uint8_t(value >> 7)}; }
    static Bytes expression(int value) { return {0xB0, 11, std::uint8_t(value)}; }
    static Bytes noteOn(int note, int velocity) { return {0x90, std::uint8_t(note), std::uint8_t(velocity)}; }
};

}  // namespace

TEST_F(PlayingSurface, MovingOverTheGridLayerBendsTheCentreNoteAndShowsLoudnessNoteAndCents)
{
    moveMouse(form->Image4, {150, 150});
    // The expression is already 127 after the start, so it is not sent again.
    EXPECT_EQ(captured(), (std::vector<Bytes>{bend(8191), noteOn(69, 120)}));
    EXPECT_EQ(status(), QStringLiteral("Vol:127 Note: A 4 0 Cent"));

    clearCaptured();
    moveMouse(form->Image4, {75, 299});
    EXPECT_EQ(captured(), (std::vector<Bytes>{bend(54), expression(96)}));
    EXPECT_EQ(status(), QStringLiteral("Vol:96 Note: Bb3 -93 Cent"));

    clearCaptured();
    moveMouse(form->Image4, {299, 0});
    EXPECT_EQ(captured(), (std::vector<Bytes>{bend(16383), expression(2)}));
    EXPECT_EQ(status(), QStringLiteral("Vol:2 Note: A 5 1 Cent"));

    clearCaptured();
    moveMouse(form->Image4, {299, 0});
    EXPECT_TRUE(captured().empty()) << "an unchanged bend and loudness send nothing";
}

TEST_F(PlayingSurface, ThePointerReachesTheGridLayerThroughTheWindowSystem)
{
    // The window system reports only changes of position, so start off the surface.
    movePointer(form->Panel1, {2, 2});
    clearCaptured();
    movePointer(form->Image4, {0, 150});
    EXPECT_EQ(captured(), (std::vector<Bytes>{bend(8191), expression(0), noteOn(69, 120)}));
}

TEST_F(PlayingSurface, LeavingTheSurfaceForThePanelEndsTheNoteAndClearsTheStatus)
{
    moveMouse(form->Image4, {150, 150});
    clearCaptured();
    moveMouse(form->Panel1, {5, 5});
    EXPECT_EQ(captured(), (std::vector<Bytes>{noteOn(69, 0)}));
    EXPECT_TRUE(status().isEmpty());

    clearCaptured();
    moveMouse(form->Panel1, {6, 5});
    EXPECT_TRUE(captured().empty());

    moveMouse(form->Image4, {150, 151});
    EXPECT_EQ(captured(), (std::vector<Bytes>{bend(8136), noteOn(69, 120)}));
}

TEST_F(PlayingSurface, TheStripsPlayTheExtremesOfTheRangeWithoutCents)
{
    moveMouse(form->Shape1, {75, 4});
    EXPECT_EQ(captured(), (std::vector<Bytes>{bend(16383), expression(96), noteOn(69, 120)}));
    EXPECT_EQ(status(), QStringLiteral("Vol:96 Note: A 5 0 Cent"));

    clearCaptured();
    moveMouse(form->Shape2, {150, 4});
    EXPECT_EQ(captured(), (std::vector<Bytes>{bend(0), expression(127)}));
    EXPECT_EQ(status(), QStringLiteral("Vol:127 Note: A 3 0 Cent"));

    form->XAxTone->setChecked(true);
    clearCaptured();
    moveMouse(form->Shape3, {4, 0});
    EXPECT_EQ(captured(), (std::vector<Bytes>{bend(16383), expression(0)}));
    EXPECT_EQ(status(), QStringLiteral("Vol:0 Note: A 5 0 Cent"));

    moveMouse(form->Shape4, {4, 150});
    EXPECT_EQ(status(), QStringLiteral("Vol:127 Note: A 3 0 Cent"));
}

TEST_F(PlayingSurface, TheCheckBoxesChooseTheMappingAndTheStrips)
{
    EXPECT_TRUE(form->Shape1->isVisible());
    EXPECT_TRUE(form->Shape2->isVisible());
    EXPECT_FALSE(form->Shape3->isVisible());
    EXPECT_FALSE(form->Shape4->isVisible());

    QTest::mouseClick(form->XAxTone, Qt::LeftButton, {}, QPoint(5, form->XAxTone->height() / 2));
    ASSERT_TRUE(form->XAxTone->isChecked());
    EXPECT_FALSE(form->Shape1->isVisible());
    EXPECT_FALSE(form->Shape2->isVisible());
    EXPECT_TRUE(form->Shape3->isVisible());
    EXPECT_TRUE(form->Shape4->isVisible());
    moveMouse(form->Image4, {299, 150});
    EXPECT_EQ(captured(), (std::vector<Bytes>{bend(16328), noteOn(69, 120)}));
    EXPECT_EQ(status(), QStringLiteral("Vol:127 Note: G#5 92 Cent"));

    // Easy and horizontal: the flat step at note 80 lies around x = 288.
    QTest::mouseClick(form->EasyMode, Qt::LeftButton, {}, QPoint(5, form->EasyMode->height() / 2));
    ASSERT_TRUE(form->EasyMode->isChecked());
    clearCaptured();
    moveMouse(form->Image4, {288, 150});
    moveMouse(form->Image4, {287, 150});
    EXPECT_EQ(captured(), (std::vector<Bytes>{bend(15700)}));

    // Easy and vertical.
    QTest::mouseClick(form->XAxTone, Qt::LeftButton, {}, QPoint(5, form->XAxTone->height() / 2));
    ASSERT_FALSE(form->XAxTone->isChecked());
    EXPECT_TRUE(form->Shape1->isVisible());
    EXPECT_FALSE(form->Shape3->isVisible());
    clearCaptured();
    moveMouse(form->Image4, {150, 150});
    moveMouse(form->Image4, {150, 12});
    moveMouse(form->Image4, {150, 13});
    EXPECT_EQ(captured(), (std::vector<Bytes>{bend(8191), bend(15700)}));

    // The background picture keeps the plain vertical mapping underneath.
    clearCaptured();
    moveMouse(form->Image1, {150, 13});
    EXPECT_EQ(captured(), (std::vector<Bytes>{bend(15673)}));
}

TEST_F(PlayingSurface, PositionsOffTheSurfaceStayWithinTheBendAndLoudnessRanges)
{
    moveMouse(form->Image4, {-40, -40});
    EXPECT_EQ(captured(), (std::vector<Bytes>{bend(16383), expression(0), noteOn(69, 120)}));
    EXPECT_EQ(status(), QStringLiteral("Vol:0 Note: A 5 1 Cent"));

    clearCaptured();
    moveMouse(form->Image4, {150, 5000});
    EXPECT_EQ(captured(), (std::vector<Bytes>{bend(0), expression(127)}));
    // 8192 below the centre is 12 semitones of 682 units and 8 units more.
    EXPECT_EQ(status(), QStringLiteral("Vol:127 Note: A 3 -1 Cent"));
}

TEST_F(PlayingSurface, TheMappingFollowsTheRangeAndTheCentreNote)
{
    enterText(form->BendRange->lineEdit(), QStringLiteral("24"));
    form->UpDownNoteNo->upButton()->click();
    clearCaptured();
    moveMouse(form->Image4, {150, 0});
    EXPECT_EQ(captured(), (std::vector<Bytes>{bend(16383), noteOn(70, 120)}));
    // 8191 above the centre is 24 semitones of 341 units and 7 units more: 2 cents.
    EXPECT_EQ(status(), QStringLiteral("Vol:127 Note: Bb6 2 Cent"));
}
