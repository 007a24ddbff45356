#include "app/windowlistener.h"

#include <QMetaObject>
#include <QObject>

void WindowListener::songEnded()
{
    QMetaObject::invokeMethod(&window_, songEnded_, Qt::QueuedConnection);
}

void WindowListener::stateChanged()
{
    if (held_ > 0)
        pending_ = true;
    else
        stateChanged_();
}

void WindowListener::showHeldState()
{
    if (held_ > 0 && --held_ == 0 && pending_) {
        pending_ = false;
        stateChanged_();
    }
}
