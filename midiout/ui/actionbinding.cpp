#include "midiout/ui/actionbinding.h"

#include <QAction>
#include <QKeySequence>
#include <QPushButton>

#include <functional>

namespace {

// Shows the command's state on the control now and after each change, and
// lets the control's signal run the command.
template <typename Control, typename Signal>
void follow(Control* control, Signal used, QAction* command, const std::function<void()>& show)
{
    show();
    QObject::connect(command, &QAction::changed, control, show);
    QObject::connect(control, used, command, &QAction::trigger);
}

}  // namespace

void bindToAction(QPushButton* button, QAction* command)
{
    follow(button, &QPushButton::clicked, command, [button, command] {
        button->setText(command->text());
        button->setEnabled(command->isEnabled());
    });
}

void bindToAction(QAction* entry, QAction* command)
{
    follow(entry, &QAction::triggered, command, [entry, command] {
        const QString key = command->shortcut().toString(QKeySequence::NativeText);
        entry->setText(key.isEmpty() ? command->text() : command->text() + QLatin1Char('\t') + key);
        entry->setEnabled(command->isEnabled());
    });
}
