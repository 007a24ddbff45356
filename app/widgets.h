#pragma once
// The small controls the main window is built from where Qt has no direct
// counterpart: a picture that is stretched over its area, a thin edge strip,
// a panel that reports pointer movements over itself, and up-down arrow
// buttons. Each reports pointer movements (with mouse tracking on, so the
// position alone counts, no button held) to a handler that the window may
// change at run time, in the control's own coordinates.
#include <QFrame>
#include <QImage>
#include <QPixmap>
#include <QScrollBar>
#include <QWidget>

#include <functional>

class QToolButton;

// Called with the control that saw the movement and the position in its own coordinates.
using MouseMoveHandler = std::function<void(QWidget* sender, int x, int y)>;

// A pen or a finger on a control, in its own pixels. A hovering pen has no
// pressure; lifted says the pen or the first finger left the surface. Other
// fingers than the first are never reported.
struct StylusPoint {
    int x = 0;
    int y = 0;
    bool finger = false;
    double pressure = 0;  // 0..1
    double tiltX = 0;     // degrees
    double tiltY = 0;
    bool lifted = false;
};
// Answers whether the point was taken; a pen or finger not taken comes again
// as a mouse movement, as Qt makes one of it.
using StylusHandler = std::function<bool(QWidget* sender, const StylusPoint& point)>;

// A picture control. Its bitmap is `Picture`; when `Stretch` is set it is drawn
// scaled over the whole control, otherwise at its own size from the top left.
// With `Transparent` set, white pixels of the bitmap are not drawn, so what
// lies below shows through.
class PictureBox : public QWidget {
public:
    explicit PictureBox(QWidget* parent = nullptr);

    QImage Picture;
    bool Stretch = true;
    bool Transparent = false;
    MouseMoveHandler OnMouseMove;
    StylusHandler OnStylus;

    // Replaces the bitmap and repaints.
    void setPicture(const QImage& image);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    int fingerId_ = -1;  // the finger that plays, while one touches
    bool stylus(QEvent* event);
    // The see-through layer of Picture, made again only when Picture changes
    // (its cache key follows every change, even one painted straight into it).
    QPixmap maskedLayer_;
    qint64 maskedKey_ = 0;
};

// A rectangle with a silver frame, filled with `Brush`.
class ShapeStrip : public QWidget {
public:
    explicit ShapeStrip(QWidget* parent = nullptr);

    QColor Brush = Qt::white;
    MouseMoveHandler OnMouseMove;

    void setBrush(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};

// A panel that reports movements over its own area, outside its child controls.
class TrackingPanel : public QFrame {
public:
    explicit TrackingPanel(QWidget* parent = nullptr);

    MouseMoveHandler OnMouseMove;

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
};

// Up and down arrow buttons that step a position between Min and Max without
// wrapping, then call OnClick.
class UpDownButtons : public QWidget {
public:
    explicit UpDownButtons(QWidget* parent = nullptr);

    int Min = 0;
    int Max = 100;
    int Position = 0;
    std::function<void()> OnClick;

    // Sets the position without calling OnClick.
    void setPosition(int position);
    // What a click on an arrow does.
    void stepUp();
    void stepDown();

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

private:
    void step(int by);

    QToolButton* up_;
    QToolButton* down_;
};

// A panel slider. The desktop's style draws no focus mark on a scroll bar, so
// it draws one itself: Tab must show where the arrow keys will act.
class PanelSlider : public QScrollBar {
public:
    explicit PanelSlider(QWidget* parent = nullptr) : QScrollBar(Qt::Horizontal, parent) {}

protected:
    void paintEvent(QPaintEvent* event) override;
};
