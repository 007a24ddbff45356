#pragma once
// What a window says while it is made, held back so that the main window can
// show it with its own start-up problems in one message.
#include <functional>
#include <string>
#include <vector>

// Runs make with every message reported meanwhile (on any thread) held,
// and answers them in the order they came.
std::vector<std::string> heldMessages(const std::function<void()>& make);
