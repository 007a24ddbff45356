#include "mididata/messagesink.h"

#include <mutex>

namespace {
std::mutex sinkMutex;
MessageSink& currentSink()
{
    static MessageSink sink;
    return sink;
}
}  // namespace

MessageSink setMessageSink(MessageSink sink)
{
    std::lock_guard<std::mutex> lock(sinkMutex);
    MessageSink old = std::move(currentSink());
    currentSink() = std::move(sink);
    return old;
}

void reportMessage(const std::string& message)
{
    MessageSink sink;
    {
        std::lock_guard<std::mutex> lock(sinkMutex);
        sink = currentSink();
    }
    if (sink)
        sink(message);
}
