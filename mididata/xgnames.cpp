#include "mididata/xgnames.h"

#include <cstddef>

#include "mididata/event.h"
#include "mididata/textformat.h"

namespace {

constexpr std::uint8_t kYamahaId = 0x43;
constexpr std::size_t kAddressEnd = 6;

struct NamedLow {
    std::uint8_t low;
    const char* name;
};

// An insertion-effect name is split where the effect number goes.
struct SplitName {
    std::uint8_t low;
    const char* head;
    const char* tail;
};

struct NamedRange {
    std::uint8_t first;
    std::uint8_t last;
    const char* name;
};

// clang-format off
constexpr NamedLow kSystemNames[] = {
    {0x00, "MASTER TUNE"},
    {0x04, "MASTER VOLUME"},
    {0x05, "MASTER ATTENATOR"},
    {0x06, "TRANSPOSE"},
    {0x07, "DRUM PART PROTECT MODE"},
    {0x7D, "DRUM SETUP RESET"},
    {0x7E, "XG SYSTEM ON"},
    {0x7F, "ALL PARAMETER RESET"},
};
// clang-format on

// clang-format off
constexpr NamedLow kEffect1Names[] = {
    {0x00, "REVERB TYPE"},
    {0x02, "REVERB PARAMETER 1"},
    {0x03, "REVERB PARAMETER 2"},
    {0x04, "REVERB PARAMETER 3"},
    {0x05, "REVERB PARAMETER 4"},
    {0x06, "REVERB PARAMETER 5"},
    {0x07, "REVERB PARAMETER 6"},
    {0x08, "REVERB PARAMETER 7"},
    {0x09, "REVERB PARAMETER 8"},
    {0x0A, "REVERB PARAMETER 9"},
    {0x0B, "REVERB PARAMETER 10"},
    {0x0C, "REVERB RETURN"},
    {0x0D, "REVERB PAN"},
    {0x10, "REVERB PARAMETER 11"},
    {0x11, "REVERB PARAMETER 12"},
    {0x12, "REVERB PARAMETER 13"},
    {0x13, "REVERB PARAMETER 14"},
    {0x14, "REVERB PARAMETER 15"},
    {0x15, "REVERB PARAMETER 16"},
    {0x20, "CHORUS TYPE"},
    {0x22, "CHORUS PARAMETER 1"},
    {0x23, "CHORUS PARAMETER 2"},
    {0x24, "CHORUS PARAMETER 3"},
    {0x25, "CHORUS PARAMETER 4"},
    {0x26, "CHORUS PARAMETER 5"},
    {0x27, "CHORUS PARAMETER 6"},
    {0x28, "CHORUS PARAMETER 7"},
    {0x29, "CHORUS PARAMETER 8"},
    {0x2A, "CHORUS PARAMETER 9"},
    {0x2B, "CHORUS PARAMETER 10"},
    {0x2C, "CHORUS RETURN"},
    {0x2D, "CHORUS PAN"},
    {0x2E, "SEND CHORUS TO REVERB"},
    {0x30, "CHORUS PARAMETER 11"},
    {0x31, "CHORUS PARAMETER 12"},
    {0x32, "CHORUS PARAMETER 13"},
    {0x33, "CHORUS PARAMETER 14"},
    {0x34, "CHORUS PARAMETER 15"},
    {0x35, "CHORUS PARAMETER 16"},
    {0x40, "VARIATION TYPE"},
    {0x42, "VARIATION PARAMETER 1"},
    {0x44, "VARIATION PARAMETER 2"},
    {0x46, "VARIATION PARAMETER 3"},
    {0x48, "VARIATION PARAMETER 4"},
    {0x4A, "VARIATION PARAMETER 5"},
    {0x4C, "VARIATION PARAMETER 6"},
    {0x4E, "VARIATION PARAMETER 7"},
    {0x50, "VARIATION PARAMETER 8"},
    {0x52, "VARIATION PARAMETER 9"},
    {0x54, "VARIATION PARAMETER 10"},
    {0x56, "VARIATION RETURN"},
    {0x57, "VARIATION PAN"},
    {0x58, "SEND VARIATION TO REVERB"},
    {0x59, "SEND VARIATION TO CHORUS"},
    {0x5A, "VARIATION CONNECTION"},
    {0x5B, "VARIATION PART"},
    {0x5C, "MW VARIATION CONTROL DEPTH"},
    {0x5D, "BEND VARIATION CONTROL DEPTH"},
    {0x5E, "CAT VARIATION CONTROL DEPTH"},
    {0x5F, "AC1 VARIATION CONTROL DEPTH"},
    {0x60, "AC2 VARIATION CONTROL DEPTH"},
    {0x70, "VARIATION PARAMETER 11"},
    {0x71, "VARIATION PARAMETER 12"},
    {0x72, "VARIATION PARAMETER 13"},
    {0x73, "VARIATION PARAMETER 14"},
    {0x74, "VARIATION PARAMETER 15"},
    {0x75, "VARIATION PARAMETER 16"},
};
// clang-format on

// clang-format off
constexpr NamedLow kMultiEqNames[] = {
    {0x00, "EQTYPE"},
    {0x01, "EQ GAIN1"},
    {0x02, "EQ FREQUENCY1"},
    {0x03, "EQ Ql"},
    {0x04, "EQ SHAPE1"},
    {0x05, "EQ GAIN2"},
    {0x06, "EQ FREQUENCY"},
    {0x07, "EQ Q2"},
    {0x08, "not used"},
    {0x09, "EQ GAIN3"},
    {0x0A, "EQ FREQUENCY"},
    {0x0B, "EQ Q3"},
    {0x0C, "not used"},
    {0x0D, "EQ GAIN4"},
    {0x0E, "EQ FREQUENCY"},
    {0x0F, "EQQ4"},
    {0x10, "not used"},
    {0x11, "EQ GAIN5"},
    {0x12, "EQ FREQUCNCY5"},
    {0x13, "EQ Q5"},
    {0x14, "EQ SHAPE5"},
};
// clang-format on

// clang-format off
constexpr NamedLow kDrumNames[] = {
    {0x00, "PITCH COARSE Drum "},
    {0x01, "PITCH FINE Drum "},
    {0x02, "LEVEL Drum "},
    {0x03, "ALTERNATE GROUP Drum "},
    {0x04, "PAN Drum "},
    {0x05, "REVERB SEND Drum "},
    {0x06, "CHORUS SEND Drum "},
    {0x07, "VARIATION SEND Drum "},
    {0x08, "KEY ASSIGN Drum "},
    {0x09, "RCVNOTE OFF Drum "},
    {0x0A, "RCVNOTE ON Drum "},
    {0x0B, "FILTER CUTOFF FREQUENCY Drum "},
    {0x0C, "FILTER RESONANCE Drum "},
    {0x0D, "EG ATACK Drum "},
    {0x0E, "EG DECAYI Drum "},
    {0x0F, "EG DECAY2 Drum "},
    {0x20, " EQ BASS  "},
    {0x21, " EQ TREBLE  "},
    {0x22, " EQ MID-BASS (NOT USED)  "},
    {0x23, " EQ MID-TREBLE (NOT USED)  "},
    {0x24, " EQ BASS frequency  "},
    {0x25, " EQ TREBLE frequency  "},
    {0x26, " EQ MID-BASS frequency (NOT USED)  "},
    {0x27, " EQ MID-TREBLE frequency (NOT USED)  "},
    {0x28, " EQ BASS Q (NOT USED)  "},
    {0x29, " EQ TREBLE Q (NOT USED)  "},
    {0x2A, " EQ MID-BASS Q (NOT USED)  "},
    {0x2B, " EQ MID-TREBLE Q (NOT USED)  "},
    {0x2C, " EQ BASS shape (NOT USED)  "},
    {0x2D, " EQ TREBLE shape (NOT USED)  "},
    {0x40, " OUTPUT SELECT  "},
    {0x50, " HIGH PASS FILTER CUTOFF FREQUENCY  "},
    {0x51, " HIGH PASS FILTER RESONANCE (NOT USED)  "},
    {0x60, " VELOCITY PITCH SENSE  "},
    {0x61, " VELOCITY LPF CUTOFF SENSE  "},
    {0x70, " SOURCE DRUM KIT(Bank select MSB)(NOT USED)  "},
    {0x71, " SOURCE DRUM KIT(Bank select LSB)(NOT USED)  "},
    {0x72, " SOURCE DRUM KIT(Program number)(NOT USED)  "},
    {0x73, " SOURCE DRUM KIT(Note number)(NOT USED)  "},
};
// clang-format on

// clang-format off
constexpr SplitName kInsertionNames[] = {
    {0x00, "INSERTION EFFECT", " TYPE MSB"},
    {0x02, "INSERTION EFFECT", " PARAMETERI"},
    {0x03, "INSERTION EFFECT", " PARAMETER2"},
    {0x04, "lNSERTION EFFECT", " PARAMETER3"},
    {0x05, "INSERTION EFFECT", " PARAMETER4"},
    {0x06, "INSERTION EFFECT", " PARAMETER5"},
    {0x07, "INSERTION EFFECT", " PARAMETER6"},
    {0x08, "INSERTION EFFECT", " PARAMETER7"},
    {0x09, "INSERTION EFFECT", " PARAMETER8"},
    {0x0A, "INSERTION EFFECT", " PARAMETER9"},
    {0x0B, "INSERTION EFFECT", " PARAMETER10"},
    {0x0C, "INSERTION EFFECT", " PART"},
    {0x0D, "MW INSERTION", " CONTROL DEPTH"},
    {0x0E, "BEND INSERTION", " CONTROL DEPTH"},
    {0x0F, "CAT INSERTION", " CONTROL DEPTH"},
    {0x10, "AC1 INSERTION", " CONTROL DEPTH"},
    {0x11, "AC2 INSERTION", " CONTROL DEPTH"},
    {0x20, "INSERTION EFFECT", " PARAMETER 11"},
    {0x21, "INSERTION EFFECT", " PARAMETER 12"},
    {0x22, "INSERTION EFFECT", " PARAMETER 13"},
    {0x23, "lNSERTION EFFECT", " PARAMETER 14"},
    {0x24, "INSERTION EFFECT", " PARAMETER 15"},
    {0x25, "INSERTION EFFECT", " PARAMETER 16"},
    {0x30, "INSERTION EFFECT", " PARAMETER1"},
    {0x32, "INSERTION EFFECT", " PARAMETER2"},
    {0x34, "INSERTION EFFECT", " PARAMETER3"},
    {0x36, "INSERTION EFFECT", " PARAMETER4"},
    {0x38, "INSERTION EFFECT", " PARAMETER5"},
    {0x3A, "INSERTION EFFECT", " PARAMETER6"},
    {0x3C, "INSERTION EFFECT", " PARAMETER7"},
    {0x3E, "INSERTION EFFECT", " PARAMETER8"},
    {0x40, "INSERTION EFFECT", " PARAMETER10"},
    {0x42, "INSERTION EFFECT", " PARAMETER11"},
};
// clang-format on

// clang-format off
constexpr NamedLow kMultiPartNames[] = {
    {0x00, " ELEMENT RESERVE"},
    {0x01, " BANK SELECT MSB"},
    {0x02, " BANK SELECT LSB"},
    {0x03, " PROGRAM NUMBER"},
    {0x04, " Rcv CHANNEL"},
    {0x05, " MONO/POLY MODE"},
    {0x06, " SAME NOTE NUMBER KEY ON ASSIGN"},
    {0x07, " PART MODE"},
    {0x08, " NOTE SHIFT"},
    {0x09, " DETUNE"},
    {0x0B, " VOLUME"},
    {0x0C, " VELOCITY SENSE DEPTH"},
    {0x0D, " VELOCITY SENSE OFFSET"},
    {0x0E, " PAN"},
    {0x0F, " NOTE LIMIT LOW"},
    {0x10, " NOTE LIMIT HIGH"},
    {0x11, " DRY LEVEL"},
    {0x12, " CHORUS SEND"},
    {0x13, " REVERB SEND"},
    {0x14, " VARIATION SEND"},
    {0x15, " VIBRATO RATE"},
    {0x16, " VIBRATO DEPTH"},
    {0x17, " VIBRATO DELAY"},
    {0x18, " FILTER CUTOFF FREQUENCY"},
    {0x19, " FILTER RESONANCE"},
    {0x1A, " EG ATTACK TIME"},
    {0x1B, " EG DECAY TIME"},
    {0x1C, " EG RELEASE TIME"},
    {0x1D, " MW PITCH CONTROL"},
    {0x1E, " MW FILTER CONTROL"},
    {0x1F, " MW AMPLITUDE CONTROL"},
    {0x20, " MW LFO PMOD DEPTH"},
    {0x21, " MW LFO FMOD DEPTH"},
    {0x22, " MW LFO AMOD DEPTH"},
    {0x23, " BEND PITCH CONTROL"},
    {0x24, " BEND FILTER CONTROL"},
    {0x25, " BEND AMPLITUDE CONTROL"},
    {0x26, " BEND LFO PMOD DEPTH"},
    {0x27, " BEND LFO PMOD DEPTH"},
    {0x28, " BEND LFO AMOD DEPTH"},
    {0x30, " Rcv PITCH BEND"},
    {0x31, " Rcv CH AFTER TOUCH(CAT)"},
    {0x32, " Rcv PROGRAM CHANCE"},
    {0x33, " Rcv CONTROL CHANGE"},
    {0x34, " Rcv POLY AFTER TOUCH(PAT)"},
    {0x35, " Rcv NOTE MESSAGE"},
    {0x36, " Rcv RPN"},
    {0x37, " Rcv NRPN"},
    {0x38, " Rcv MODULATION"},
    {0x39, " Rcv VOLUME"},
    {0x3A, " Rcv PAN"},
    {0x3B, " Rcv EXPRESSION"},
    {0x3C, " Rcv HOLD"},
    {0x3D, " Rcv PORTAMENTO"},
    {0x3E, " Rcv SOSTENUTO"},
    {0x3F, " Rcv SOFT PEDAL"},
    {0x40, " Rcv BANK SELECT"},
    {0x41, " SCALE TUNING C"},
    {0x42, " SCALE TUNING C#"},
    {0x43, " SCALE TUNING D"},
    {0x44, " SCALE TUNING D#"},
    {0x45, " SCALE TUNING E"},
    {0x46, " SCALE TUNING F"},
    {0x47, " SCALE TUNING F#"},
    {0x48, " SCALE TUNING G"},
    {0x49, " SCALE TUNING G#"},
    {0x4A, " SCALE TUNING A"},
    {0x4B, " SCALE TUNING A#"},
    {0x4C, " SCALE TUNING B"},
    {0x4D, " CAT PITCH CONTROL"},
    {0x4E, " CAT FILTER CONTROL"},
    {0x4F, " CAT AMPLITUDE CONTROL"},
    {0x50, " CAT LFO PMOD DEFTH"},
    {0x51, " CAT LFO FMOD DEPTH"},
    {0x52, " CAT LFO AMOD DEPTH"},
    {0x53, " PAT PITCH CONTROL"},
    {0x54, " PAT FILTER CONTROL"},
    {0x55, " PAT AMPLITUDE CONTROL"},
    {0x56, " PAT LFO PMOD DEPTH"},
    {0x57, " PAT LFO FMOD DEPTH"},
    {0x58, " PAT LFO AMOD DEPTH"},
    {0x59, " ACI CONTROLLER NUMBER"},
    {0x5A, " ACI PITCH CONTROL"},
    {0x5B, " ACI FILTER CONTROL"},
    {0x5C, " ACI AMPLITUDE CONTROL"},
    {0x5D, " ACI LFO PMOD DEPTH"},
    {0x5E, " ACI LFO FMOD DEFrH"},
    {0x5F, " ACI LFO AMOD DEPTH"},
    {0x60, " AC2 CONTROLLER NUMBER"},
    {0x61, " AC2 PITCH CONTROL"},
    {0x62, " AC2 FILTER CONTROL"},
    {0x63, " AC2 AMPLITUDE CONTROL"},
    {0x64, " AC2 LFO PMOD DEPTH"},
    {0x65, " AC2 LFO FMOD DEPTH"},
    {0x66, " AC2 LFO AMOD DEPTH"},
    {0x67, " PORTAMENTO SWITCH"},
    {0x68, " PORTAMENTO TIME"},
    {0x69, " PITCH EG INITIAL LEVEL"},
    {0x6A, " PITCH EG ATTACK TIME"},
    {0x6B, " PITCH EG RELEASE LEVEL"},
    {0x6C, " PITCH EG RELEASE TIME"},
    {0x6D, " VELOCITY LIMIT LOW"},
    {0x6E, " VELOCITY LIMIT HIGH"},
    {0x70, " BEND PITCH LOW CONTROL"},
    {0x71, " FILTER EG DEPTH"},
    {0x72, " EQ BASS"},
    {0x73, " EQ TREBLE"},
    {0x74, " EQ MID-BASS (NOT USED)"},
    {0x75, " EQ MID-TREBLE (NOT USED)"},
    {0x76, " EQ BASS frequency"},
    {0x77, " EQ TREBLE frequency"},
    {0x78, " EQ MID-BASS frequency (NOT USED)"},
    {0x79, " EQ MID-TREBLE frequency (NOT USED)"},
    {0x7A, " EQ BASS Q (NOT USED)"},
    {0x7B, " EQ TREBLE Q (NOT USED)"},
    {0x7C, " EQ MID-BASS Q (NOT USED)"},
    {0x7D, " EQ MID-TREBLE Q (NOT USED)"},
    {0x7E, " EQ BASS shape (NOT USED)"},
    {0x7F, " EQ TREBLE shape (NOT USED)"},
};
// clang-format on

// clang-format off
constexpr NamedLow kVlPartNames[] = {
    {0x00, " VL Note Assign"},
    {0x01, " VL reserved"},
    {0x02, " VL NOTE Filter"},
    {0x03, " PRESSURE CONTROL NO."},
    {0x04, " PRESSURE CONTROL DEPTH"},
    {0x05, " EMBOUCHURE CONTROL NO."},
    {0x06, " EMBOUCHURE CONTROL DEPTH"},
    {0x07, " TONGUING CONTROL NO."},
    {0x08, " TONGUING CONTROL DEPTH"},
    {0x09, " SCREAM CONTROL NO."},
    {0x0A, " SCREAM CONTROL DEPTH "},
    {0x0B, " BREATH CONTROL NO."},
    {0x0C, " BREATH CONTROL DEPTH "},
    {0x0D, " GROWL CONTROL NO."},
    {0x0E, " GROWL CONTROL DEPTH "},
    {0x0F, " THROAT FORMANT CONTROL NO."},
    {0x10, " THROAT FORMANT CONTROL DEPTH "},
    {0x11, " HARMONIC ENHANCER CONTROL NO."},
    {0x12, " HARMONIC ENHANCER CONTROL DEPTH "},
    {0x13, " DAMPING CONTROL NO."},
    {0x14, " DAMPING CONTROL DEPTH "},
    {0x15, " ABSORPTION CONTROL NO."},
    {0x16, " ABSORPTION CONTROL DEPTH"},
};
// clang-format on

// clang-format off
constexpr NamedRange kAdPartNames[] = {
    {0x00, 0x00, "INPUT GAIN"},
    {0x01, 0x01, "BANK SELECT MSB"},
    {0x02, 0x02, "BANK SELECT LSB"},
    {0x03, 0x03, "PROGRAM NUMBER"},
    {0x04, 0x04, "Rcv CHANNEL"},
    {0x05, 0x0A, "NOT USED"},
    {0x0B, 0x0B, "VOLUME"},
    {0x0C, 0x0D, "NOT USED"},
    {0x0E, 0x0E, "PAN"},
    {0x0F, 0x10, "NOT USED"},
    {0x11, 0x11, "DRY LEVEL"},
    {0x12, 0x12, "CHORUS SEND"},
    {0x13, 0x13, "REVERB SEND"},
    {0x14, 0x14, "VARIATION SEND"},
    {0x30, 0x31, "NOT USED"},
    {0x32, 0x32, "Rcv PROGRAM CHANGE"},
    {0x33, 0x33, "Rcv CONTROL CHANGE"},
    {0x34, 0x38, "NOT USED"},
    {0x39, 0x39, "Rcv VOLUME"},
    {0x3A, 0x3A, "Rcv PAN"},
    {0x3B, 0x3B, "Rcv EXPRESSION"},
    {0x3C, 0x3F, "NOT USED"},
    {0x40, 0x40, "Rcv BANK SELECT"},
    {0x41, 0x58, "NOT USED"},
    {0x59, 0x59, "ACI CONTROLLER NUMBER"},
    {0x5A, 0x5F, "NOT USED"},
    {0xC0, 0xC0, "AC2 CONTROLLER NVMBER"},
};
// clang-format on

template <std::size_t N>
const NamedLow* findLow(const NamedLow (&table)[N], std::uint8_t low)
{
    for (const NamedLow& entry : table)
        if (entry.low == low)
            return &entry;
    return nullptr;
}

const SplitName* findInsertion(std::uint8_t low)
{
    for (const SplitName& entry : kInsertionNames)
        if (entry.low == low)
            return &entry;
    return nullptr;
}

const NamedRange* findAdPart(std::uint8_t low)
{
    for (const NamedRange& entry : kAdPartNames)
        if (entry.first <= low && low <= entry.last)
            return &entry;
    return nullptr;
}

// The whole-address entries; false when the address has none.
bool wholeAddressName(const std::vector<std::uint8_t>& bytes, std::uint8_t h, std::uint8_t m, std::uint8_t l,
                      std::string& name)
{
    const NamedLow* entry = nullptr;
    if (h == 0x00 && m == 0x00)
        entry = findLow(kSystemNames, l);
    else if (h == 0x02 && m == 0x01)
        entry = findLow(kEffect1Names, l);
    else if (h == 0x02 && m == 0x40)
        entry = findLow(kMultiEqNames, l);
    if (entry) {
        name = entry->name;
        return true;
    }
    if (h == 0x06 && m == 0x00 && l == 0x00) {
        // The letters run up to the closing byte, which is not shown.
        name = "DISPLAY LETTER<";
        for (std::size_t i = kAddressEnd; i + 1 < bytes.size(); ++i)
            name.push_back(char(bytes[i]));
        name += ">";
        return true;
    }
    if (h == 0x11 && m == 0x00 && l == 0x00) {
        name = FormatText("A/D SETUP Part = %d", {l});
        return true;
    }
    return false;
}

}  // namespace

std::string XgParameterName(const std::vector<std::uint8_t>& bytes)
{
    if (bytes.empty() || bytes[0] != kYamahaId)
        return "Not XG or GM";
    if (bytes.size() < kAddressEnd)
        return "No Address";
    const std::uint8_t h = bytes[3], m = bytes[4], l = bytes[5];

    std::string name;
    if (wholeAddressName(bytes, h, m, l, name))
        return name;
    if (h == 0x07)
        return "DISPLAY BITMAP";
    if (h >= 0x30 && h <= 0x3F) {
        if (const NamedLow* drum = findLow(kDrumNames, l))
            return FormatText("%s%d Note %d", {drum->name, h - 0x30, m});
    }
    if (h == 0x03) {
        if (const SplitName* effect = findInsertion(l))
            return FormatText("%s%d%s", {effect->head, m + 1, effect->tail});
    }
    if (h == 0x08) {
        if (const NamedLow* part = findLow(kMultiPartNames, l))
            return FormatText("Part%d%s", {m + 1, part->name});
    }
    if (h == 0x09) {
        if (const NamedLow* part = findLow(kVlPartNames, l))
            return FormatText("Part%d%s", {m + 1, part->name});
    }
    if (h == 0x10) {
        if (const NamedRange* part = findAdPart(l))
            return part->name;
    }
    return FormatText("UNKNOWN PARAMETER:Address = <%6.6X>", {(h << 16) | (m << 8) | l});
}

std::string XgParameterName(const sysexEvent& e)
{
    return XgParameterName(e.bytes);
}
