#include "app/noteguard.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QInputEvent>
#include <QStatusBar>
#include <QWidget>

#include "app/handlerguard.h"

NoteGuard::NoteGuard(const QWidget& window, const QWidget& surface, const QWidget& statusLine,
                     std::function<void()> endNote)
    : window_(window), surface_(surface), statusLine_(statusLine), endNote_(std::move(endNote))
{
    qApp->installEventFilter(this);
}

NoteGuard::~NoteGuard()
{
    qApp->removeEventFilter(this);
}

bool NoteGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (endsTheNote(watched, *event))
        runGuarded(endNote_);
    return false;
}

bool NoteGuard::endsTheNote(const QObject* watched, const QEvent& event) const
{
    const QObject* window = &window_;
    switch (event.type()) {
    // Moving from the surface onto one of its strips stays inside Panel1 and
    // is no leave; the status line lies inside Panel1 but plays nothing.
    case QEvent::Leave: return watched == &surface_ || watched == window;
    case QEvent::Enter: return watched == &statusLine_;
    case QEvent::WindowDeactivate:
    case QEvent::WindowBlocked:
    case QEvent::Hide:
    case QEvent::Close: return watched == window;
    case QEvent::WindowStateChange: return watched == window && window_.isMinimized();
    // A menu, dialog or message box takes the pointer or the keyboard; a
    // tooltip takes neither.
    case QEvent::Show: {
        const auto* shown = qobject_cast<const QWidget*>(watched);
        return shown != nullptr && shown != window && shown->isWindow() && shown->windowType() != Qt::ToolTip;
    }
    case QEvent::ApplicationStateChange:
        return static_cast<const QApplicationStateChangeEvent&>(event).applicationState() != Qt::ApplicationActive;
    default: return false;
    }
}
