#pragma once
// Runs a window handler so that an error it raises (a conversion error, a
// reader's error) ends only that handler: the message goes to the message
// sink, which shows it in a message box, and the program goes on. Handlers
// are run through this where Qt calls them, because an exception must never
// unwind through Qt's own code, which is built without exception support.
// The application's notify() catches whatever gets past this as a last net.
#include <functional>

// Answers false when the handler failed (and its message was reported).
bool runGuarded(const std::function<void()>& handler);

// Reports the exception being handled (call it inside a catch block): its
// own message, or a plain one for an error that is not a std::exception.
void reportCurrentException();
