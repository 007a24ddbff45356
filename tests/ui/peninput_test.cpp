// A pen and a finger on the square, through Qt's own tablet and touch events:
// the pen plays as the pointer until its pressure or tilt is chosen to play;
// a finger plays from touch to lift, and a second finger changes nothing.
#include <QAction>
#include <QPointingDevice>
#include <QTabletEvent>
#include <QTest>

#include <algorithm>
#include <memory>

#include "app/inputmenu.h"
#include "app/widgets.h"
#include "mainwindow_fixture.h"
#include "perform/session.h"

namespace {

class PenAndTouch : public MainWindowTest {
protected:
    // Sends a pen event to the square at its middle; answers whether the square took it.
    bool pen(QEvent::Type type, double pressure, double tiltX = 0)
    {
        const QPointF at(form->Image4->width() / 2.0, form->Image4->height() / 2.0);
        QTabletEvent event(type, &stylus, at, form->Image4->mapToGlobal(at), pressure, tiltX, 0, 0, 0, 0,
                           Qt::NoModifier, pressure > 0 ? Qt::LeftButton : Qt::NoButton,
                           pressure > 0 ? Qt::LeftButton : Qt::NoButton);
        QApplication::sendEvent(form->Image4, &event);
        return event.isAccepted();
    }

    // How many short messages of this kind (status high nibble) reached the
    // device; a note-on of velocity 0 counts as the note-off it is.
    int count(std::uint8_t kind) const
    {
        const auto shorts = captured();
        return int(std::count_if(shorts.begin(), shorts.end(), [&](const Bytes& m) {
            std::uint8_t is = m[0] & 0xF0;
            if (is == 0x90 && m[2] == 0)
                is = 0x80;
            return is == kind;
        }));
    }

    // The value of the last control change of the controller.
    int lastControl(int controller) const
    {
        int value = -1;
        for (const Bytes& m : captured())
            if ((m[0] & 0xF0) == 0xB0 && m[1] == controller)
                value = m[2];
        return value;
    }

    QPointingDevice stylus{QStringLiteral("test pen"),
                           1,
                           QInputDevice::DeviceType::Stylus,
                           QPointingDevice::PointerType::Pen,
                           QInputDevice::Capability::Position | QInputDevice::Capability::Pressure |
                               QInputDevice::Capability::XTilt | QInputDevice::Capability::YTilt,
                           1,
                           3};
};

TEST_F(PenAndTouch, APenPlaysAsThePointerUntilPressureOrTiltIsChosen)
{
    EXPECT_FALSE(pen(QEvent::TabletMove, 0.5)) << "left to come again as a mouse movement";

    form->Input->PenPressure->trigger();
    ASSERT_TRUE(form->session().inputChoices().loudnessFromPen);
    clearCaptured();
    EXPECT_TRUE(pen(QEvent::TabletMove, 0));
    EXPECT_EQ(count(0x90), 0) << "a hovering pen sounds nothing";
    pen(QEvent::TabletPress, 0.25);
    EXPECT_EQ(count(0x90), 1);
    const int light = lastControl(11);
    pen(QEvent::TabletMove, 1.0);
    EXPECT_GT(lastControl(11), light) << "pressing harder is louder";
    EXPECT_EQ(lastControl(11), 127);
    pen(QEvent::TabletRelease, 0);
    EXPECT_EQ(count(0x80), 1) << "the lift ends the note";

    form->Input->PenTilt->trigger();
    pen(QEvent::TabletPress, 0.5, 60);
    EXPECT_EQ(lastControl(1), 127) << "sixty degrees of tilt is full depth";
}

TEST_F(PenAndTouch, AFingerPlaysFromTouchToLiftAndASecondOneChangesNothing)
{
    std::unique_ptr<QPointingDevice> screen(QTest::createTouchDevice());
    QWidget* square = form->Image4;
    const QPoint middle(square->width() / 2, square->height() / 2);
    clearCaptured();
    QTest::touchEvent(square, screen.get()).press(0, middle, square);
    EXPECT_EQ(count(0x90), 1);
    QTest::touchEvent(square, screen.get()).move(0, middle - QPoint(0, square->height() / 4), square);
    EXPECT_GT(count(0xE0), 0) << "moving bends";
    const int notesBefore = count(0x90);
    QTest::touchEvent(square, screen.get()).stationary(0).press(1, middle + QPoint(square->width() / 4, 0), square);
    QTest::touchEvent(square, screen.get()).stationary(0).release(1, middle + QPoint(square->width() / 4, 0), square);
    EXPECT_EQ(count(0x90), notesBefore) << "the second finger starts nothing";
    EXPECT_EQ(count(0x80), 0) << "nor ends the note";
    QTest::touchEvent(square, screen.get()).release(0, middle, square);
    EXPECT_EQ(count(0x80), 1) << "the lift ends the note";
}

}  // namespace
