#include "app/messagebox.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QString>
#include <QThread>

#include <string>
#include <utility>

void showMessageBox(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

namespace {

void deliver(const MessageBoxSink::Display& display, const std::string& message)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || !display)
        return;
    QString text = QString::fromStdString(message);
    if (QThread::currentThread() == app->thread()) {
        display(text);
        return;
    }
    const auto show = [display, text = std::move(text)] { display(text); };
    QMetaObject::invokeMethod(app, show, Qt::QueuedConnection);
}

}  // namespace

MessageBoxSink::MessageBoxSink(Display display)
{
    previous_ =
        setMessageSink([display = std::move(display)](const std::string& message) { deliver(display, message); });
}

MessageBoxSink::~MessageBoxSink()
{
    setMessageSink(std::move(previous_));
}
