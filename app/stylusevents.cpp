// A pen's and a finger's events on a picture control, made into stylus
// points for its handler.
#include <QTabletEvent>
#include <QTouchEvent>

#include <cmath>

#include "app/handlerguard.h"
#include "app/widgets.h"

namespace {

StylusPoint pointAt(QPointF at)
{
    StylusPoint point;
    point.x = static_cast<int>(std::trunc(at.x()));
    point.y = static_cast<int>(std::trunc(at.y()));
    return point;
}

}  // namespace

bool PictureBox::event(QEvent* event)
{
    if (OnStylus && stylus(event))
        return true;
    return QWidget::event(event);
}

bool PictureBox::stylus(QEvent* event)
{
    bool taken = false;
    switch (event->type()) {
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease: {
        const auto* pen = static_cast<QTabletEvent*>(event);
        StylusPoint point = pointAt(pen->position());
        point.lifted = event->type() == QEvent::TabletRelease;
        point.pressure = point.lifted ? 0.0 : pen->pressure();
        point.tiltX = pen->xTilt();
        point.tiltY = pen->yTilt();
        runGuarded([&] { taken = OnStylus(this, point); });
        break;
    }
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel: {
        const auto* touch = static_cast<QTouchEvent*>(event);
        if (event->type() == QEvent::TouchBegin && !touch->points().isEmpty())
            fingerId_ = touch->points().front().id();
        const QEventPoint* first = nullptr;
        for (const QEventPoint& p : touch->points())
            if (p.id() == fingerId_)
                first = &p;
        // A second finger alone moves nothing; the first one's lift ends it.
        if (first == nullptr && event->type() != QEvent::TouchCancel && event->type() != QEvent::TouchEnd)
            return true;
        StylusPoint point = pointAt(first ? first->position() : QPointF());
        point.finger = true;
        point.pressure = 1.0;
        point.lifted = event->type() == QEvent::TouchEnd || event->type() == QEvent::TouchCancel ||
                       (first && first->state() == QEventPoint::Released);
        if (point.lifted)
            fingerId_ = -1;
        runGuarded([&] { taken = OnStylus(this, point); });
        break;
    }
    default: return false;
    }
    if (taken)
        event->accept();
    else
        event->ignore();
    return taken;
}
