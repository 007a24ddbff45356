#pragma once
// One step of a recorded performance: what changed in the performer, to what,
// and how many milliseconds after the step before. The performer appends them
// while a recording runs; the recorder turns them into a song and the debug
// window lists them.
#include <cstdint>

struct RecordEntry {
    std::uint32_t delta = 0;  // milliseconds since the previous entry, wrap-safe
    std::int32_t kind = 0;    // a RecordKind
    std::int32_t value = 0;
};

// The kinds of entry; a recording holds nothing else.
struct RecordKind {
    enum : std::int32_t {
        Program = 0,        // value: programEntryValue
        ChannelVolume = 1,  // controller 7
        NoteOn = 2,         // value 0: the note number is not recorded
        NoteOff = 3,        // value 0
        Velocity = 4,
        BendRange = 5,    // semitones
        PitchBend = 6,    // 0-16383
        Expression = 7,   // controller 11
        Modulation = 8,   // controller 1
        Reverb = 9,       // controller 91
        Chorus = 10,      // controller 93
        CentreNote = 11,  // value: centreNoteEntryValue
    };
};

// How a bank select byte that was left out (-1) is kept in the performer and the recording.
constexpr std::uint8_t kBankLeftOut = 0xFF;

// The value of a Program entry: program in bits 16-23, bank LSB in bits 8-15,
// bank MSB in bits 0-7.
constexpr std::int32_t programEntryValue(std::uint8_t program, std::uint8_t bankLsb, std::uint8_t bankMsb)
{
    return (std::int32_t(program) << 16) | (std::int32_t(bankLsb) << 8) | std::int32_t(bankMsb);
}

// The value of a CentreNote entry: the new note in bits 0-7, the note before
// the change in bits 8-15, so that a song built from the recording knows the
// note it starts on.
constexpr std::int32_t centreNoteEntryValue(std::uint8_t before, std::uint8_t after)
{
    return (std::int32_t(before) << 8) | std::int32_t(after);
}
