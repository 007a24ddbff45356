// Controller names, indexed by controller number. Numbers without a name of their
// own are stored as their number, so every entry can be shown as it is.
#include "midispec/midispec.h"

#include <iterator>

namespace {

// clang-format off
constexpr const char* kControllerNames[] = {
    "Bank Select MSB(0)", "Modulation(1)", "2", "3", "4", "Portament Time(5)",
    "Data Entry MSB(6)", "Main Volume(7)", "8", "9", "Panpot(10)", "Expression(11)",
    "12", "13", "14", "15", "16(AC1 Default Num)", "17(AC2 Default Num)", "18", "19",
    "20", "21", "22", "23", "24", "25", "26", "27", "28", "29", "30", "31",
    "Bank Select LSB(32)", "33", "34", "35", "36", "37", "Data Entry LSB(38)", "39",
    "40", "41", "42", "43", "44", "45", "46", "47", "48", "49", "50", "51", "52", "53",
    "54", "55", "56", "57", "58", "59", "60", "61", "62", "63", "Sustain(64)",
    "Portament(65)", "Sostenuto(66)", "Soft Pedal(67)", "68", "69", "70",
    "Harmonic Content(71)", "Release Time(72)", "Atack Time(73)", "Brightness(74)",
    "75", "76", "77", "78", "79", "80", "81", "82", "83", "Portament Control(84)", "85",
    "86", "87", "88", "89", "90", "Reverb(91)", "92", "Chorus(93)", "Variation(94)",
    "95", "Deta Increment(96)", "Data Decrement(97)", "NRPN LSB(98)", "NRPN MSB(99)",
    "RPN LSB(100)", "RPN MSB(101)", "102", "103", "104", "105", "106", "107", "108",
    "109", "110", "111", "112", "113", "114", "115", "116", "117", "118", "119",
    "All Sound Off(120)", "Reset All Controllers(121)", "122", "All Note Off(123)",
    "OMNI Off(124)", "OMNI On(125)", "MONO(126)", "POLY(127)",
};
// clang-format on
static_assert(std::size(kControllerNames) == kControllerCount);

}  // namespace

std::string ControllerName(int n)
{
    if (n < 0 || n >= kControllerCount)
        return std::to_string(n);
    return kControllerNames[n];
}
