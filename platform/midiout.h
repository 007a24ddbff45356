#pragma once
// MIDI output as the code above this layer expects it: devices enumerated by
// number with a product name and a technology code, -1 as the default route,
// opening and closing by number with a status code, short messages packed in
// 32 bits (platform/shortmsg.h), long system-exclusive messages, and one error
// text per status code. The devices come from the backends chosen in
// platform/registry.h.
//
// Every function is safe to call from any thread and never throws. A handle
// stays valid until midiOutClose succeeds; sends on a closed or null handle
// return MidiInvalidHandle, also when the close races with the send.
#include "platform/devicecaps.h"
#include "platform/errortext.h"
#include "platform/status.h"
#include "platform/synthstatus.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace platform {

enum class MidiOutHandle : std::uint64_t { Null = 0 };

// Enumerates the devices afresh and returns how many there are, the default
// route not counted. Identifiers 0 .. count-1 then name the devices of this
// enumeration until the next call (the first use of an identifier enumerates
// if nothing has yet).
std::uint32_t midiOutGetNumDevs() noexcept;
MmResult midiOutGetDevCaps(int deviceId, MidiOutCaps& caps) noexcept;

// Starts the device; handle is Null unless the result is MmOk. Opening the
// built-in synth loads its SoundFont and may take a moment.
MmResult midiOutOpen(MidiOutHandle& handle, int deviceId) noexcept;
// Stops the device. It waits for a send in progress on another thread, and
// nothing reaches the device once it returns MmOk. On failure the handle stays open.
MmResult midiOutClose(MidiOutHandle handle) noexcept;

// Sends one packed short message at once. A status byte that cannot start a
// short message (running status, F0, F7) gives MidiInvalidParameter.
MmResult midiOutShortMsg(MidiOutHandle handle, std::uint32_t message) noexcept;
// Sends a long message exactly as given (normally F0 ... F7). It returns
// once the device has taken every byte, so the bytes may be reused and the
// next message sent at once: there is no completion to wait for.
MmResult midiOutLongMsg(MidiOutHandle handle, std::span<const std::uint8_t> bytes) noexcept;

// A song's time line, for a device that schedules a song in its own clock
// (the built-in synth): midiOutSongStart starts it at startMicros
// (platform::nowMicros), the ...At sends give each event's due instant on
// it, and midiOutSongCancel drops what is scheduled and not yet played. Any
// other device sends each message at once.
MmResult midiOutSongStart(MidiOutHandle handle, std::int64_t startMicros) noexcept;
MmResult midiOutShortMsgAt(MidiOutHandle handle, std::uint32_t message, std::int64_t dueMicros) noexcept;
MmResult midiOutLongMsgAt(MidiOutHandle handle, std::span<const std::uint8_t> bytes, std::int64_t dueMicros) noexcept;
MmResult midiOutSongCancel(MidiOutHandle handle) noexcept;
// How long before its due instant the device takes a song's event (0 for a
// device that sends each at once, or no device).
std::int64_t midiOutSongLookahead(MidiOutHandle handle) noexcept;
// Whether the device dropped the song that began last, as the built-in synth
// does when its sound server goes away (false for no device).
bool midiOutSongInterrupted(MidiOutHandle handle) noexcept;
// Whether the device closed itself since it was opened (a JACK MIDI port
// whose server went away); the handle then only waits for midiOutClose.
bool midiOutLost(MidiOutHandle handle) noexcept;
// Waits until the device can sound (a built-in synth still loading its
// SoundFont plays nothing), or at most timeoutMillis.
MmResult midiOutWaitReady(MidiOutHandle handle, int timeoutMillis) noexcept;
// How the built-in synth open on handle is doing; nothing for any other
// device or a closed handle.
std::optional<SynthOutputStatus> midiOutSynthStatus(MidiOutHandle handle) noexcept;

}  // namespace platform
