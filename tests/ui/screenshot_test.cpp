// The window as a user first sees it, grabbed from the offscreen platform.
// With ORV_SCREENSHOT=<file.png> in the environment the picture is saved
// there; the README's screenshot is made this way:
//   ORV_SCREENSHOT=docs/screenshot.png build/tests/orv_app_tests --gtest_filter='Screenshot.*'
#include <QImage>
#include <QPixmap>
#include <QSet>
#include <QStatusBar>

#include "app/widgets.h"
#include "mainwindow_fixture.h"

namespace {

class Screenshot : public MainWindowTest {};

}  // namespace

TEST_F(Screenshot, GrabsTheWholeWindowWithItsGridAndStatusText)
{
    moveMouse(form->Image4, {190, 110});
    ASSERT_FALSE(form->StatusBar1->currentMessage().isEmpty());

    const QPixmap grabbed = form->grab();
    EXPECT_EQ(grabbed.deviceIndependentSize().toSize(), form->size());
    const QImage image = grabbed.toImage().convertToFormat(QImage::Format_RGB32);
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 50) << "a blank or one-colour grab is no picture of the window";
    // The grid's solid loudness line, in the designed red, lies over the picture.
    const QPoint middle = form->Image4->mapTo(form.get(), QPoint(form->Image4->width() / 2, 40));
    EXPECT_EQ(QColor(image.pixel(middle * grabbed.devicePixelRatio())), QColor(255, 0, 0));

    const QString target = qEnvironmentVariable("ORV_SCREENSHOT");
    if (!target.isEmpty()) {
        EXPECT_TRUE(grabbed.save(target, "PNG")) << target.toStdString();
    }
}
