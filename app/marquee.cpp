// The scrolling status text: a word that moves from right to left through
// Image2, two pixels every tick of Timer1, while the recorder is busy.
#include <QColor>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QTimer>

#include "app/tform1.h"
#include "app/widgets.h"

namespace {

constexpr int kStep = 2;

QColor buttonFace(const QWidget* canvas)
{
    return canvas->palette().color(QPalette::Button);
}

// The text on the button-face colour, at (x, y) as its top left corner. The
// blanks at the end of the text paint over what the previous step drew.
void drawText(PictureBox* canvas, const QString& text, int x, int y)
{
    QPainter painter(&canvas->Picture);
    painter.setFont(canvas->font());
    painter.setPen(canvas->palette().color(QPalette::ButtonText));
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(buttonFace(canvas));
    painter.drawText(QPoint(x, y + QFontMetrics(canvas->font()).ascent()), text);
}

}  // namespace

void TForm1::ShowMarquee(const QString& text)
{
    const QFontMetrics metrics(Image2->font());
    MarqueeText = text;
    MarqueeWidth = metrics.horizontalAdvance(text);
    const int width = Image2->Picture.width();
    while (metrics.horizontalAdvance(MarqueeText) < width)
        MarqueeText += QLatin1Char(' ');
    Timer1->start();
    MarqueeX = width;
    MarqueeY = 2;
}

void TForm1::Timer1Timer()
{
    const int width = Image2->Picture.width();
    drawText(Image2, MarqueeText, MarqueeX, MarqueeY);
    MarqueeX -= kStep;
    // Once the text itself has left at the left edge, it comes round again from the right.
    if (MarqueeX + MarqueeWidth < 0)
        MarqueeX += width - 1;
    if (MarqueeX < 0)
        drawText(Image2, MarqueeText, width + MarqueeX, MarqueeY);
    Image2->update();
}

// Window thread only; the player's end-of-song call reaches it through SongEnded.
void TForm1::StopMarquee()
{
    Image2->Picture.fill(buttonFace(Image2));
    Image2->update();
    Timer1->stop();
}
