#pragma once
// The numbers of the MIDI language that every layer speaks: status kinds,
// controller numbers, the pitch-bend centre and limits, the default tempo and
// division, and the reset messages. Header-only, so the core, the platform,
// the engine, the windows and the tools all spell each number once, here.
#include <array>
#include <cstdint>

namespace midi {

// Status bytes: the kind is the high nibble of a channel message.
enum Status : std::uint8_t {
    kNoteOff = 0x80,
    kNoteOn = 0x90,
    kPolyPressure = 0xA0,
    kControlChange = 0xB0,
    kProgramChange = 0xC0,
    kChannelPressure = 0xD0,
    kPitchBend = 0xE0,
    kSysEx = 0xF0,
    kSysExEnd = 0xF7,
    kMeta = 0xFF,
};

constexpr std::uint8_t kindOf(std::uint8_t status)
{
    return status & 0xF0;
}
constexpr std::uint8_t channelOf(std::uint8_t status)
{
    return status & 0x0F;
}
// A data byte is below 0x80; anything else starts a new message.
constexpr bool isDataByte(std::uint8_t byte)
{
    return byte < 0x80;
}

// Controller numbers.
enum Controller : std::uint8_t {
    kBankSelectMsb = 0,
    kModulation = 1,
    kBreath = 2,
    kFoot = 4,
    kDataEntryMsb = 6,
    kChannelVolume = 7,
    kPan = 10,
    kExpression = 11,
    kBankSelectLsb = 32,
    kDataEntryLsb = 38,
    kSustain = 64,
    kReverbSend = 91,
    kChorusSend = 93,
    kRpnLsb = 100,
    kRpnMsb = 101,
    kAllSoundOff = 120,
    kResetAllControllers = 121,
    kAllNotesOff = 123,
};

// Both "all sound off" and "all notes off" end every note of a channel.
constexpr bool endsAllNotes(std::uint8_t controller)
{
    return controller == kAllSoundOff || controller == kAllNotesOff;
}

// Pitch bend: 14 bits, no bend at the centre.
constexpr std::int32_t kBendMin = 0;
constexpr std::int32_t kBendCentre = 8192;
constexpr std::int32_t kBendMax = 16383;

// Microseconds per quarter note of a song that sets no tempo (120 beats a minute).
constexpr std::int32_t kDefaultTempo = 500000;
// Ticks per quarter note of a song that says nothing else.
constexpr std::int32_t kDefaultDivision = 480;

// The General MIDI percussion channel (shown as 10).
constexpr int kPercussionChannel = 9;

// Reset messages, without the leading 0xF0 of a system-exclusive message.
constexpr std::array<std::uint8_t, 5> kGmSystemOn{0x7E, 0x7F, 0x09, 0x01, 0xF7};
constexpr std::array<std::uint8_t, 8> kXgSystemOn{0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
constexpr std::array<std::uint8_t, 10> kGsReset{0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};

}  // namespace midi
