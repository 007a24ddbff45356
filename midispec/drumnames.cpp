// Drum kit names (two styles, indexed by the kit's program number) and drum sound
// names (indexed by note number). Kits without a name are stored as their 1-based
// program number, as tone module manuals count them; unnamed sounds as their note
// number. There is no kit entry for program 127.
#include "midispec/midispec.h"

#include <iterator>

namespace {

// clang-format off
constexpr const char* kDrumKitNames[] = {
    "Standard 1", "Standard 2/(88)", "Dry/Std 3(88p)", "Bright(XG)", "Skim(XG)",
    "Slim(XG)", "Rogue(XG)", "Hob(XG)", "Room", "Dark Room/Hip Hop(88p)", "Jungle(88p)",
    "Techno(88p)", "13", "14", "15", "16", "Rock/Power", "Rock Kit2(XG)", "19", "20",
    "21", "22", "23", "24", "Electro/Electric", "Analog/TR-808", "Analog 2/Dance(88)",
    "Dance/CR-78(88p)", "Hip Hop/TR-606(88p)", "Jungle/TR-707(88p)",
    "Apogee/TR-909(88p)", "Perigee(XG)", "Jazz", "Jazz 2(XG)", "35", "36", "37", "38",
    "39", "40", "Brush", "Brush2(XG)", "43", "44", "45", "46", "47", "48",
    "Symphony/Orchestra", "Ethnic(88)", "Kick&Snare(88)", "52", "Asia(88p)",
    "Cymbal&Claps(88p)", "55", "56", "Natural/SFX", "Natural Funk/Rhythm FX(88)",
    "Rhythm FX(88p)", "60", "61", "62", "63", "64", "Tramp(XG)", "Amber(XG)",
    "Coffin(XG)", "68", "69", "70", "71", "72", "73", "74", "75", "76", "77", "78",
    "79", "80", "Live!Standard(XG)", "Live!Funk(XG)", "Live!Brush(XG)",
    "Live!Std.&Perc.(XG)", "Live!Funk&Perc.(XG)", "Live!Brush&Perc.(XG)", "87", "88",
    "89", "90", "91", "92", "93", "94", "95", "96", "97", "98", "99", "100", "101",
    "102", "103", "104", "105", "106", "107", "108", "109", "110", "111", "112", "113",
    "114", "115", "116", "117", "118", "119", "120", "121", "122", "123", "124", "125",
    "126", "127CM-64(GS)",
};
// clang-format on

// clang-format off
constexpr const char* kDrumSetNames[] = {
    "Standard Set", "Standard Set2", "3", "4", "5", "6", "7", "8", "Room Set", "10",
    "11", "12", "13", "14", "15", "16", "Power Set", "18", "19", "20", "21", "22", "23",
    "24", "25", "26", "27", "28", "29", "30", "31", "32", "33", "34", "35", "36", "37",
    "38", "39", "40", "41", "42", "43", "44", "45", "46", "47", "48", "49",
    "Ethnic Set", "Kick&Snare Set", "52", "53", "54", "55", "56", "SFX Set",
    "Rhythm SFX Set", "59", "60", "61", "62", "63", "64", "65", "66", "67", "68", "69",
    "70", "71", "72", "73", "74", "75", "76", "77", "78", "79", "80", "81", "82", "83",
    "84", "85", "86", "87", "88", "89", "90", "91", "92", "93", "94", "95", "96", "97",
    "98", "99", "100", "101", "102", "103", "104", "105", "106", "107", "108", "109",
    "110", "111", "112", "113", "114", "115", "116", "117", "118", "119", "120", "121",
    "122", "123", "124", "125", "126", "127CM-64/32 Set(GS)",
};
// clang-format on

// clang-format off
constexpr const char* kDrumNoteNames[] = {
    "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12",
    "Surdo Mute(XG)", "Surdo Open(XG)", "Hi Q(XG)", "Whip Slap(XG)", "Scratch H(XG)",
    "Scratch L(XG)", "Finger Snap(XG)", "Click Noise(XG)", "Mtrnm Click(XG)",
    "Mtrnm Bell/MC-500Beep", "Seq Click L/MC-500Beep2", "Seq Click H/ConsertSD",
    "Brush Tap/SnareRoll", "Brush Swirl/FingerSnap2", "Brush Slap/HighQ",
    "BrushTapSwrl/Slap", "Snare Roll/ScratchPush", "Castanet/ScratchPull",
    "Snare Soft/Sticks", "Sticks/SquareClick", "Kick Soft/MetronomeClick",
    "Open RimShot/MetronomeBell", "Kick Tight", "Kick Short", "Side Stick",
    "Snare Short", "Hand Clap", "Snare Tight", "Floor Tom L", "Hi-HatClosed",
    "Floor Tom H", "Hi-Hat Pedal", "Low Tom", "Hi-Hat Open", "Mid Tom L", "Mid Tom H",
    "CrashCymbal1", "High Tom", "Ride Cymbal", "Chinese Cym", "Ride Cym Cup",
    "Tambourine", "SplashCymbal", "Cowbell", "CrashCymbal2", "Vibraslap",
    "RideCymbal 2", "Bongo H", "Bongo L", "Conga H Mute", "Conga H Open", "Conga L",
    "Timbale H", "Timbale L", "Agogo H", "Agogo L", "Cabasa", "Maracas", "SambaWhistlH",
    "SambaWhistlL", "Guiro Short", "Guiro Long", "Claves", "Wood Block H",
    "Wood Block L", "Cuica Mute", "Cuica Open", "TriangleMute", "TriangleOpen",
    "Shaker", "Jingle Bells", "Bell Tree", "Castanets(GS)", "Mute Surdo(GS)",
    "Open Surdo(GS)", "Applause2(GS)", "89", "90", "91", "92", "93", "94", "95", "96",
    "97", "98", "99", "100", "101", "102", "103", "104", "105", "106", "107", "108",
    "109", "110", "111", "112", "113", "114", "115", "116", "117", "118", "119", "120",
    "121", "122", "123", "124", "125", "126", "127",
};
// clang-format on
static_assert(std::size(kDrumKitNames) == kDrumKitCount);
static_assert(std::size(kDrumSetNames) == kDrumKitCount);
static_assert(std::size(kDrumNoteNames) == kNoteCount);

}  // namespace

std::string DrumKitName(int n)
{
    if (n < 0 || n >= kDrumKitCount)
        return std::to_string(n);
    return kDrumKitNames[n];
}

std::string DrumSetName(int n)
{
    if (n < 0 || n >= kDrumKitCount)
        return std::to_string(n);
    return kDrumSetNames[n];
}

std::string DrumNoteName(int n)
{
    if (n < 0 || n >= kNoteCount)
        return std::to_string(n);
    return kDrumNoteNames[n];
}
