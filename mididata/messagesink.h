#pragma once
// Where the core reports what a user must see (a failed save, a device error).
// The application installs a sink that shows a message box on the window
// thread; the command-line tool prints to stderr. Without a sink, messages are
// dropped: the core itself never prints or opens a window.
#include <functional>
#include <string>

using MessageSink = std::function<void(const std::string&)>;

// Installs the sink and returns the one it replaces.
MessageSink setMessageSink(MessageSink sink);
void reportMessage(const std::string& message);
