#include "app/windowlistener.h"

#include <QMetaObject>

#include "app/handlerguard.h"
#include "app/tform1.h"

void WindowListener::songEnded()
{
    TForm1* form = &form_;
    QMetaObject::invokeMethod(
        form,
        [form] {
            form->StopMarquee();
            runGuarded([form] { form->session().songFinished(); });
        },
        Qt::QueuedConnection);
}

void WindowListener::stateChanged()
{
    if (held_ > 0)
        pending_ = true;
    else
        form_.showSessionState();
}

void WindowListener::showHeldState()
{
    if (held_ > 0 && --held_ == 0 && pending_) {
        pending_ = false;
        form_.showSessionState();
    }
}

std::unique_ptr<WindowListener> makeWindowListener(TForm1& form)
{
    return std::make_unique<WindowListener>(form);
}
