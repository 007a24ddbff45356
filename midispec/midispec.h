#pragma once
// The fixed vocabulary of General MIDI, GS and XG that the program shows: program,
// controller, drum kit, drum set, note and drum sound names, key signature names,
// and the scale marks of the grid key. The tables are constant; ScaleTable is the
// one piece of state and is rewritten by SelectGridKey (window thread only).
#include <array>
#include <cstdint>
#include <string>

// Table sizes.
constexpr int kProgramCount = 128;
constexpr int kControllerCount = 128;
constexpr int kDrumKitCount = 127;
constexpr int kNoteCount = 128;

// Entries of the tables, exactly as stored. Arguments out of range give the
// number as text (ProgramName, ControllerName, DrumKitName, DrumSetName, DrumNoteName).
std::string ProgramName(int n);
std::string ControllerName(int n);
std::string DrumKitName(int n);
std::string DrumSetName(int n);
std::string DrumNoteName(int n);
// Four characters: " C 4", "C#-1"; "----" below 0 and "++++" above 127.
std::string NoteName(int n);
// "Eb Major", "A Minor"; a neutral "Key sf=9 mode=0" outside -7..+7 or modes 0/1.
std::string KeyName(int sf, int mode);

// 1 where the note belongs to the scale of the current grid key.
extern std::array<std::uint8_t, 128> ScaleTable;
// Marks the scale of key signature sf (-7..+7) in mode 0 (major) or 1 (minor);
// arguments out of range leave ScaleTable unchanged.
void SelectGridKey(int sf, int mode);
