#include "app/handlerguard.h"

#include <exception>
#include <string>

#include "mididata/messagesink.h"

void reportCurrentException()
{
    try {
        throw;
    } catch (const std::exception& error) {
        reportMessage(error.what());
    } catch (...) {
        reportMessage("An unknown error occurred.");
    }
}

bool runGuarded(const std::function<void()>& handler)
{
    try {
        handler();
        return true;
    } catch (...) {
        reportCurrentException();
        return false;
    }
}
