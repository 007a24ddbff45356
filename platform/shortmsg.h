#pragma once
// The packing of a MIDI short message into 32 bits, in the one place the
// program defines it: status byte in bits 0-7, first data byte in bits 8-15,
// second data byte in bits 16-23, bits 24-31 zero. The gateway packs with it
// and every backend unpacks with it.
#include <array>
#include <cstddef>
#include <cstdint>

namespace platform {

constexpr std::uint32_t packShortMessage(std::uint8_t status, std::uint8_t data1 = 0, std::uint8_t data2 = 0)
{
    return std::uint32_t(status) | (std::uint32_t(data1) << 8) | (std::uint32_t(data2) << 16);
}

// How many bytes a message with this status byte has on the wire, status
// included; 0 when the byte cannot start a short message (a data byte, the
// system-exclusive bytes F0 and F7, or the undefined F4, F5, F9 and FD).
std::size_t shortMessageLength(std::uint8_t status);

struct ShortMessage {
    std::array<std::uint8_t, 3> bytes{};
    std::size_t length = 0;  // 0: nothing to send
};

// The message with each data byte above 127 lowered to 127. Files may hold
// such bytes (they are kept as read), but on a wire a byte of 128 or more is a
// status byte to the receiver: every message bound for a device passes here.
constexpr std::uint32_t clampDataBytes(std::uint32_t packed)
{
    const auto clamp = [](std::uint32_t b) { return b > 0x7F ? 0x7Fu : b; };
    return (packed & 0xFFu) | (clamp((packed >> 8) & 0xFFu) << 8) | (clamp((packed >> 16) & 0xFFu) << 16);
}

// The wire bytes of a packed message, data bytes as packed.
ShortMessage unpackShortMessage(std::uint32_t packed);

}  // namespace platform
