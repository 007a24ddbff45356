#include "app/heldmessages.h"

#include <memory>
#include <mutex>

#include "mididata/messagesink.h"

std::vector<std::string> heldMessages(const std::function<void()>& make)
{
    struct Held {
        std::mutex mutex;
        std::vector<std::string> messages;
    };
    // A thread of the device (a SoundFont loading) may still report after
    // the sink is given back: it keeps the store alive.
    auto held = std::make_shared<Held>();
    MessageSink previous = setMessageSink([held](const std::string& message) {
        const std::lock_guard lock(held->mutex);
        held->messages.push_back(message);
    });
    struct GiveBack {
        MessageSink& sink;
        ~GiveBack() { setMessageSink(std::move(sink)); }
    } giveBack{previous};
    make();
    const std::lock_guard lock(held->mutex);
    return held->messages;
}
