#pragma once
// Names of the XG tone-module parameters that Yamaha system-exclusive messages
// address, for the one-line text of a system-exclusive event. The name follows
// the XG address map, with the part, insertion-effect or drum-setup number and
// the drum note worked in where the address carries them. Every message yields
// a text: non-Yamaha messages, messages too short to hold an address and
// addresses outside the map each get a fixed answer.
#include <cstdint>
#include <string>
#include <vector>

class sysexEvent;

// bytes are the message after the status byte, as stored: manufacturer, device,
// model, address high/mid/low, data, and the closing 0xF7.
std::string XgParameterName(const std::vector<std::uint8_t>& bytes);
std::string XgParameterName(const sysexEvent& e);
