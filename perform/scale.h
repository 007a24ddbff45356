#pragma once
// The scales a player can be kept in: which pitch classes each one holds
// above its root, its name in orvelline.ini and in the surface's menu, and
// the key marks the grid draws for it. The root is the tonic of the grid key
// (or of the key a MIDI file names), as a pitch class 0..11 with C as 0.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

enum class ScaleKind {
    Chromatic,
    Major,
    NaturalMinor,
    HarmonicMinor,
    MelodicMinor,
    PentatonicMajor,
    PentatonicMinor,
    Blues,
    WholeTone,
    Dorian,
    Mixolydian,
};

constexpr int kScaleCount = 11;

// Every scale in menu order; index i is static_cast<ScaleKind>(i).
constexpr std::array<ScaleKind, kScaleCount> kAllScales = {
    ScaleKind::Chromatic,    ScaleKind::Major,           ScaleKind::NaturalMinor,    ScaleKind::HarmonicMinor,
    ScaleKind::MelodicMinor, ScaleKind::PentatonicMajor, ScaleKind::PentatonicMinor, ScaleKind::Blues,
    ScaleKind::WholeTone,    ScaleKind::Dorian,          ScaleKind::Mixolydian,
};

// "natural-minor": the word orvelline.ini uses.
std::string ScaleKeyword(ScaleKind scale);
// The keyword read back, ignoring case; nothing for an unknown word.
std::optional<ScaleKind> ScaleFromKeyword(const std::string& keyword);
// "Natural minor": the caption of the scale's menu entry.
std::string ScaleCaption(ScaleKind scale);

// Whether the note (any integer, negative too) is in the scale on root.
bool ScaleHolds(ScaleKind scale, int root, int note);

// The tonic of key signature sf (-7..+7) as a pitch class: the major tonic in
// mode 0, its relative minor's in mode 1 (A for no sharps or flats).
int KeyTonic(int sf, int mode);

// Marks for notes 0..127, 1 where the note is in the scale. Note 0 stays
// unmarked, as in the grid key's own marks, so that the major scale on a
// key's tonic marks exactly what that key marks.
std::array<std::uint8_t, 128> ScaleMarksOf(ScaleKind scale, int root);
