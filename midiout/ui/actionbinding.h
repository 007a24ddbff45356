#pragma once
// Controls that stand for an action kept elsewhere: a push button of a dialog
// or one more menu entry. Each shows the action's caption and enabled state,
// follows every change of them, and runs the action when used. A Qt menu
// holds an action only once (and "Stop" appears twice), and a push button
// cannot take an action as its command the way a tool button does.
class QAction;
class QPushButton;

void bindToAction(QPushButton* button, QAction* command);
// The entry shows the action's key after a tab; the key itself stays with the action.
void bindToAction(QAction* entry, QAction* command);
