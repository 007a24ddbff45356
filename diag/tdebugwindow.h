#pragma once
// The debug window: one list in which the recorded performance can be read
// entry by entry. The main window's hidden Debug button fills and shows it; it
// is a developer's aid that a user does not reach. The program has one,
// DebugWindow, created at start-up after the device window and destroyed at
// exit.
#include <QWidget>

class QListWidget;

class TDebugWindow : public QWidget {
    Q_OBJECT

public:
    // A top-level window even when given a parent.
    explicit TDebugWindow(QWidget* parent = nullptr);
    ~TDebugWindow() override;

    QListWidget* ListBox1 = nullptr;
};

// The program's debug window; null before it is created and after it is destroyed.
extern TDebugWindow* DebugWindow;
