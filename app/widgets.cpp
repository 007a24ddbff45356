#include "app/widgets.h"

#include <QBitmap>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "app/handlerguard.h"

namespace {

// The pointer position in the control's own pixels; fractions (high-resolution
// pointers) are cut off, as a coordinate of whole pixels is what the handlers expect.
void reportMove(const MouseMoveHandler& handler, QWidget* sender, const QMouseEvent* event)
{
    if (!handler)
        return;
    const QPointF at = event->position();
    runGuarded([&] { handler(sender, static_cast<int>(std::trunc(at.x())), static_cast<int>(std::trunc(at.y()))); });
}

}  // namespace

PictureBox::PictureBox(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
}

void PictureBox::setPicture(const QImage& image)
{
    Picture = image;
    update();
}

void PictureBox::paintEvent(QPaintEvent*)
{
    if (Picture.isNull())
        return;
    QPainter painter(this);
    const QRect target = Stretch ? rect() : QRect(QPoint(0, 0), Picture.size());
    if (!Transparent) {
        painter.drawImage(target, Picture);
        return;
    }
    // White is the see-through colour: the bitmap is drawn through a mask of its non-white pixels.
    if (maskedKey_ != Picture.cacheKey()) {
        maskedLayer_ = QPixmap::fromImage(Picture);
        maskedLayer_.setMask(QBitmap::fromImage(Picture.createMaskFromColor(qRgb(255, 255, 255), Qt::MaskInColor)));
        maskedKey_ = Picture.cacheKey();
    }
    painter.drawPixmap(target, maskedLayer_);
}

void PictureBox::mouseMoveEvent(QMouseEvent* event)
{
    reportMove(OnMouseMove, this, event);
}

ShapeStrip::ShapeStrip(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
}

void ShapeStrip::setBrush(const QColor& colour)
{
    Brush = colour;
    update();
}

void ShapeStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(QColor(192, 192, 192));
    painter.setBrush(Brush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ShapeStrip::mouseMoveEvent(QMouseEvent* event)
{
    reportMove(OnMouseMove, this, event);
}

TrackingPanel::TrackingPanel(QWidget* parent) : QFrame(parent)
{
    setMouseTracking(true);
}

void TrackingPanel::mouseMoveEvent(QMouseEvent* event)
{
    reportMove(OnMouseMove, this, event);
}

namespace {

QToolButton* makeArrow(QWidget* parent, Qt::ArrowType arrow)
{
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    return button;
}

}  // namespace

UpDownButtons::UpDownButtons(QWidget* parent)
    : QWidget(parent), up_(makeArrow(this, Qt::UpArrow)), down_(makeArrow(this, Qt::DownArrow))
{
    setMouseTracking(true);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(up_);
    column->addWidget(down_);
    connect(up_, &QToolButton::clicked, this, [this] { stepUp(); });
    connect(down_, &QToolButton::clicked, this, [this] { stepDown(); });
}

void UpDownButtons::setPosition(int position)
{
    Position = std::clamp(position, Min, std::max(Min, Max));
}

void UpDownButtons::stepUp()
{
    step(+1);
}

void UpDownButtons::stepDown()
{
    step(-1);
}

// A click at either end leaves the position where it is and still counts as a click.
void UpDownButtons::step(int by)
{
    setPosition(Position + by);
    if (OnClick)
        runGuarded(OnClick);
}

void PanelSlider::paintEvent(QPaintEvent* event)
{
    QScrollBar::paintEvent(event);
    if (!hasFocus())
        return;
    // A frame in the highlight colour, as the styles mark a focused entry field.
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 1));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
