// The grid layer over the playing surface and the Grid Key menu.
#include <QAction>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <QPen>

#include <cstdint>
#include <vector>

#include "app/correctioncontrols.h"
#include "app/tform1.h"
#include "app/widgets.h"
#include "midispec/midispec.h"
#include "perform/gridlines.h"
#include "perform/session.h"

namespace {

// Key signatures of the Grid Key items, in menu order.
constexpr int kGridKeySignatures[15] = {0, 1, -1, 2, -2, 3, -3, 4, -4, 5, -5, 6, -6, 7, -7};

QColor colourOf(std::uint32_t bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

// White is the colour the transparent layer lets the picture show through.
// Lines stop short of their end point, so a one-pixel cosmetic pen with flat
// caps draws exactly the pixels from the start up to the one before the end.
void paintGrid(PictureBox& layer, const std::vector<GridLine>& lines, std::uint32_t gridColor)
{
    if (layer.width() <= 0 || layer.height() <= 0) {
        layer.setPicture(QImage());  // nothing to draw on before the layer has a size
        return;
    }
    QImage image(layer.width(), layer.height(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    QPen pen(colourOf(gridColor), 1);
    pen.setCosmetic(true);
    pen.setCapStyle(Qt::FlatCap);
    for (const GridLine& line : lines) {
        pen.setStyle(line.solid ? Qt::SolidLine : Qt::DotLine);
        painter.setPen(pen);
        painter.drawLine(line.x1, line.y1, line.x2, line.y2);
    }
    painter.end();
    layer.setPicture(image);
}

}  // namespace

void TForm1::DrawGrid()
{
    if (XAxTone->isChecked())
        DrawHorizontalGrid();
    else
        DrawVerticalGrid();
}

// The axis is the one in use, not a text still being typed in the range box
// (a resize while typing must not stop on it).
void TForm1::DrawVerticalGrid()
{
    const PitchAxis& axis = session_.axis();
    paintGrid(*Image4,
              VerticalGridLines(Image4->width(), Image4->height(), axis.rangeSemitones, axis.centreNote,
                                Correction->gridMarks()),
              GridColor);
}

void TForm1::DrawHorizontalGrid()
{
    const PitchAxis& axis = session_.axis();
    paintGrid(*Image4,
              HorizontalGridLines(Image4->width(), Image4->height(), axis.rangeSemitones, axis.centreNote,
                                  Correction->gridMarks()),
              GridColor);
}

void TForm1::GridKeyClick(int index)
{
    if (index < 0 || index >= 15 || GridKeyItems[index] == nullptr)
        return;
    session_.chooseKey(kGridKeySignatures[index], 0);
}

// The tick and the name there.cfg keeps follow the key in use, whether the
// user chose it or a file brought it.
void TForm1::showGridKey()
{
    // A first start keeps the designed empty name until a key is chosen or read.
    if (session_.gridKey().origin == ChoiceOrigin::Default && GridKeyName.isEmpty())
        return;
    const int sf = session_.gridKey().sf;
    for (int index = 0; index < 15; ++index) {
        if (kGridKeySignatures[index] == sf && GridKeyItems[index] != nullptr) {
            GridKeyItems[index]->setChecked(true);
            GridKeyName = GridKeyItems[index]->text();
        }
    }
}
