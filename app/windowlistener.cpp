#include "app/windowlistener.h"

#include <QMetaObject>
#include <QObject>

void WindowListener::songEnded()
{
    QMetaObject::invokeMethod(&window_, songEnded_, Qt::QueuedConnection);
}

void WindowListener::stateChanged()
{
    stateChanged_();
}
