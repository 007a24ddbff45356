#include "platform/shortmsg.h"

namespace platform {

std::size_t shortMessageLength(std::uint8_t status)
{
    if (status < 0x80)
        return 0;
    if (status < 0xF0) {
        const std::uint8_t kind = status & 0xF0;
        return (kind == 0xC0 || kind == 0xD0) ? 2 : 3;
    }
    switch (status) {
    case 0xF1:
    case 0xF3: return 2;
    case 0xF2: return 3;
    case 0xF6:
    case 0xF8:
    case 0xFA:
    case 0xFB:
    case 0xFC:
    case 0xFE:
    case 0xFF: return 1;
    default: return 0;
    }
}

ShortMessage unpackShortMessage(std::uint32_t packed)
{
    ShortMessage message;
    message.bytes = {std::uint8_t(packed), std::uint8_t(packed >> 8), std::uint8_t(packed >> 16)};
    message.length = shortMessageLength(message.bytes[0]);
    return message;
}

}  // namespace platform
