#pragma once
// The application's message sink: what the engine reports through
// reportMessage (a device that will not open, "Timer Error", a failed save)
// appears in a plain message box on the window thread. A report from another
// thread (the song player's timer thread) is posted to the window thread and
// the reporting thread goes on at once: it must never wait for the user.
//
// The program creates one MessageBoxSink right after its QApplication and
// keeps it until the windows are gone. Tests pass their own display, which
// records the text instead of opening a modal box.
#include <functional>

#include "mididata/messagesink.h"

class QString;

// Opens a plain modal message box with the text and waits for the user.
void showMessageBox(const QString& text);

class MessageBoxSink {
public:
    // Always called on the window thread.
    using Display = std::function<void(const QString&)>;

    // Installs the sink; needs a QApplication.
    explicit MessageBoxSink(Display display = showMessageBox);
    // Puts back the sink this one replaced. Reports already posted from other
    // threads are still shown when the window thread gets to them.
    ~MessageBoxSink();
    MessageBoxSink(const MessageBoxSink&) = delete;
    MessageBoxSink& operator=(const MessageBoxSink&) = delete;

private:
    MessageSink previous_;
};
