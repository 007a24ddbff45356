#pragma once
// The short message that a song event becomes on its way to a device: note
// on and off, control change, program change and pitch bend, packed as
// platform/shortmsg.h packs them. Pressures, meta events and system-exclusive
// messages have none (the last go out whole, status byte first). The gateway
// sends songs with it; the offline renderer feeds its synth with it.
#include <cstdint>
#include <optional>

class anyEvent;

std::optional<std::uint32_t> shortMessageOf(const anyEvent& event);
