// General MIDI instrument names, indexed by program number, as the instrument list
// and the event texts show them.
#include "midispec/midispec.h"

#include <iterator>

namespace {

// clang-format off
constexpr const char* kProgramNames[] = {
    "Acoustic Grand Piano", "Bright Acoustic Piano", "Electric Grand Piano",
    "Honkey-tonk Piano", "Electric Piano1", "Electric Piano2", "Harpsichord", "Clavi",
    "Celesta", "Glockenspiel", "Music Box", "Vibraphone", "Marimba", "Xylophone",
    "Tubular Bells", "Dulcimer", "Drawbar Organ", "Percussive Organ", "Rock Organ",
    "Church Organ", "Reed Organ", "Accordion", "Harmonica", "Tango Accordion",
    "Acoustic Guitar(nylon)", "Acoustic Guitar(steel)", "Electric Guitar(jazz)",
    "Electric Guitar(clean)", "Electric Guitar(muted)", "Overdriven Guitar",
    "Distortion Guitar", "Guitar harmonics", "Acoustic Bass", "Electric Bass(finger)",
    "Electric Bass(pick)", "Fretless Bass", "Slap Bass1", "Slap Bass2", "Synth Bass1",
    "Synth Bass2", "Violin", "Viola", "Cello", "Contrabass", "Tremolo Strings",
    "Pizzicato Strings", "Orchestral Harp", "Timpani", "String Emsemble1",
    "String Emsemble2", "Synth String1", "Synth String2", "Choir Aahs", "Voice Oohs",
    "Synth Vox", "Orchestra Hit", "Trumpet", "Trombone", "Tuba", "Muted Trumpet",
    "French Horn", "Brass Section", "Synth Brass1", "Synth Brass2", "Soprano Sax",
    "Alto Sax", "Tenor Sax", "Baritone Sax", "Oboe", "English Horn", "Bassoon",
    "Clarinet", "Piccolo", "Flute", "Recorder", "Pan Flute", "Blown Bottle",
    "Shakuhachi", "Whistle", "Ocarina", "Lead1(square)", "Lead2(sawtooth)",
    "Lead3(calliope)", "Lead4(chiff)", "Lead5(charang)", "Lead6(voice)",
    "Lead7(fifths)", "Lead8(bass + lead)", "Pad1(new age)", "Pad2(warm)",
    "Pad3(polysynth)", "Pad4(choir)", "Pad5(bowed)", "Pad6(metallic)", "Pad7(halo)",
    "Pad8(sweep)", "Fx1(rain)", "Fx2(soundtrack)", "Fx3(crystal)", "Fx4(atmosphere)",
    "Fx5(brightness)", "Fx6(goblins)", "Fx7(echoes)", "Fx8(sci-fi)", "Sitar", "Banjo",
    "Shamisen", "Koto", "Kalimba", "Bag pipe", "Fiddle", "Shanai", "Tinkle Bell",
    "Agogo", "Steel Drums", "Woodblock", "Taiko", "Melodic Tom", "Synth Drum",
    "Reverse Cymbal", "Guitar Fret Noise", "Breath Noise", "Seashore", "Bird Tweet",
    "Telephone Ring", "Helicopter", "Applause", "Gunshot",
};
// clang-format on
static_assert(std::size(kProgramNames) == kProgramCount);

}  // namespace

std::string ProgramName(int n)
{
    if (n < 0 || n >= kProgramCount)
        return std::to_string(n);
    return kProgramNames[n];
}
