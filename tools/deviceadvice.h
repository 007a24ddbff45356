#pragma once
// The platform's device errors end with advice for the windows ("Choose a
// device in the MIDI device window."). On the command line there is no such
// window: the advice names the commands that list and choose a device instead.
#include <string>

// The command line's own advice: how to list the devices and choose one.
extern const char* const kDeviceChoiceAdvice;

// The message with any sentence about the device window replaced by
// kDeviceChoiceAdvice; other messages are returned as they are.
std::string commandLineDeviceMessage(const std::string& message);
