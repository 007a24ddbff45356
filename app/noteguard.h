#pragma once
// Ends the note whenever the pointer can no longer be playing it, exactly as
// a movement over the bare panel around the surface does: the pointer leaves
// the surface's panel (for the control panel, or out of the window by any
// jump) or goes onto the status line; the window is deactivated, blocked by a
// modal window, hidden, minimised or closed; a menu, dialog or message box
// opens; the application stops being the active one. The next movement over
// the surface starts a new note.
//
// The main window makes one and keeps it for its life; it watches the events
// of the whole application.
#include <QObject>

#include <functional>

class QEvent;
class QWidget;

class NoteGuard : public QObject {
public:
    // window is the main window, surface the panel the surface lies on, and
    // statusLine the status line inside it; endNote ends the note.
    NoteGuard(const QWidget& window, const QWidget& surface, const QWidget& statusLine, std::function<void()> endNote);
    ~NoteGuard() override;
    NoteGuard(const NoteGuard&) = delete;
    NoteGuard& operator=(const NoteGuard&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool endsTheNote(const QObject* watched, const QEvent& event) const;

    const QWidget& window_;
    const QWidget& surface_;
    const QWidget& statusLine_;
    std::function<void()> endNote_;
};
