#include "app/orvapplication.h"

#include "app/handlerguard.h"

OrvApplication::OrvApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Orvelline"));
}

bool OrvApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        reportCurrentException();
        return false;
    }
}
