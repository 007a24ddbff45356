// The small controls of the main window: pointer reports in the control's own
// whole pixels, the see-through grid layer, stretching, the edge strip's
// frame, the up-down arrows, and following the parent's edges.
#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "app/anchors.h"
#include "app/widgets.h"

namespace {

QImage filled(QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

TEST(PictureBox, ReportsPointerMovesInItsOwnWholePixelsWithoutAButtonHeld)
{
    QWidget window;
    PictureBox box(&window);
    box.setGeometry(10, 10, 50, 50);
    QWidget* reportedBy = nullptr;
    QPoint reported(-1, -1);
    box.OnMouseMove = [&](QWidget* sender, int x, int y) {
        reportedBy = sender;
        reported = {x, y};
    };
    EXPECT_TRUE(box.hasMouseTracking());

    QMouseEvent move(QEvent::MouseMove, QPointF(10.7, 20.2), QPointF(box.mapToGlobal(QPoint(10, 20))), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier, QPointingDevice::primaryPointingDevice());
    QApplication::sendEvent(&box, &move);
    EXPECT_EQ(reportedBy, &box);
    EXPECT_EQ(reported, QPoint(10, 20));
}

TEST(PictureBox, TransparentLayerLetsWhiteShowWhatLiesBelowAndStretchCoversTheControl)
{
    QWidget window;
    window.resize(40, 40);
    PictureBox below(&window);
    below.setGeometry(0, 0, 40, 40);
    below.setPicture(filled({2, 2}, Qt::red));  // stretched over all 40 x 40
    PictureBox layer(&window);
    layer.setGeometry(0, 0, 40, 40);
    layer.Transparent = true;
    QImage grid = filled({40, 40}, Qt::white);
    for (int x = 0; x < 40; ++x)
        grid.setPixelColor(x, 20, Qt::black);
    layer.setPicture(grid);

    const QImage shown = window.grab().toImage();
    EXPECT_EQ(shown.pixelColor(39, 39), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(5, 5), QColor(Qt::red));
    EXPECT_EQ(shown.pixelColor(5, 20), QColor(Qt::black));

    // At its own size, the picture covers only its own pixels.
    below.Stretch = false;
    layer.hide();
    EXPECT_NE(window.grab().toImage().pixelColor(39, 39), QColor(Qt::red));
}

TEST(ShapeStrip, DrawsASilverFrameFilledWithItsBrush)
{
    ShapeStrip strip;
    strip.resize(30, 9);
    strip.setBrush(Qt::blue);
    const QImage shown = strip.grab().toImage();
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(192, 192, 192));
    EXPECT_EQ(shown.pixelColor(29, 8), QColor(192, 192, 192));
    EXPECT_EQ(shown.pixelColor(15, 4), QColor(Qt::blue));
}

TEST(UpDownButtons, StepWithinTheirRangeWithoutWrappingAndReportEveryClick)
{
    UpDownButtons arrows;
    arrows.resize(16, 21);
    arrows.Min = 24;
    arrows.Max = 103;
    arrows.setPosition(102);
    int clicks = 0;
    arrows.OnClick = [&] { ++clicks; };

    QTest::mouseClick(arrows.upButton(), Qt::LeftButton);
    EXPECT_EQ(arrows.Position, 103);
    QTest::mouseClick(arrows.upButton(), Qt::LeftButton);
    EXPECT_EQ(arrows.Position, 103);
    QTest::mouseClick(arrows.downButton(), Qt::LeftButton);
    EXPECT_EQ(arrows.Position, 102);
    EXPECT_EQ(clicks, 3);

    // Setting the position is not a click, and stays in the range.
    arrows.setPosition(5);
    EXPECT_EQ(arrows.Position, 24);
    EXPECT_EQ(clicks, 3);
}

TEST(Anchors, ControlsKeepTheirDistanceToTheEdgesTheyFollow)
{
    const QSize designed(100, 80);
    const QSize grown(150, 100);
    const QRect control(10, 20, 30, 40);  // 60 from the right, 20 from the bottom
    EXPECT_EQ(anchoredGeometry(control, Qt::LeftEdge | Qt::TopEdge, designed, grown), control);
    EXPECT_EQ(anchoredGeometry(control, Qt::RightEdge | Qt::BottomEdge, designed, grown), QRect(60, 40, 30, 40));
    EXPECT_EQ(anchoredGeometry(control, Qt::LeftEdge | Qt::RightEdge | Qt::TopEdge | Qt::BottomEdge, designed, grown),
              QRect(10, 20, 80, 60));
    // A parent smaller than the margins leaves an empty control, never a negative one.
    EXPECT_EQ(anchoredGeometry(control, Qt::LeftEdge | Qt::RightEdge, designed, QSize(50, 80)).width(), 0);

    QWidget parent;
    parent.resize(designed);
    QWidget inner(&parent);
    QWidget innermost(&inner);
    anchor(&inner, QRect(0, 0, 100, 80), Qt::LeftEdge | Qt::RightEdge | Qt::TopEdge | Qt::BottomEdge, designed);
    anchor(&innermost, control, Qt::RightEdge | Qt::BottomEdge, designed);
    parent.resize(grown);
    followAnchors(&parent);
    EXPECT_EQ(inner.geometry(), QRect(QPoint(0, 0), grown));
    EXPECT_EQ(innermost.geometry(), QRect(60, 40, 30, 40));
}

}  // namespace
