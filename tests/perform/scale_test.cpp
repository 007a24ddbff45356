#include "perform/scale.h"

#include <gtest/gtest.h>

#include <set>

#include "midispec/midispec.h"

namespace {

std::set<int> pitchClassesOf(ScaleKind scale, int root)
{
    std::set<int> classes;
    for (int note = 60; note < 72; ++note)
        if (ScaleHolds(scale, root, note))
            classes.insert(note % 12);
    return classes;
}

constexpr int C = 0, D = 2, E = 4, F = 5, G = 7, A = 9;

}  // namespace

TEST(Scale, MajorOnTheKeysTonicMarksExactlyWhatTheGridKeyMarks)
{
    const auto before = ScaleTable;
    for (int sf = -7; sf <= 7; ++sf) {
        SelectGridKey(sf, 0);
        EXPECT_EQ(ScaleMarksOf(ScaleKind::Major, KeyTonic(sf, 0)), ScaleTable) << "sf " << sf;
    }
    ScaleTable = before;
}

TEST(Scale, ModesAndRelativesShareThePitchesTheyShouldAndDifferWhereTheyShould)
{
    const std::set<int> whiteKeys = pitchClassesOf(ScaleKind::Major, C);
    EXPECT_EQ(whiteKeys.size(), 7u);
    EXPECT_EQ(pitchClassesOf(ScaleKind::NaturalMinor, A), whiteKeys);
    EXPECT_EQ(pitchClassesOf(ScaleKind::Dorian, D), whiteKeys);
    EXPECT_EQ(pitchClassesOf(ScaleKind::Mixolydian, G), whiteKeys);
    EXPECT_EQ(pitchClassesOf(ScaleKind::HarmonicMinor, A), (std::set<int>{A, 11, C, D, E, F, 8}));
    EXPECT_EQ(pitchClassesOf(ScaleKind::MelodicMinor, A), (std::set<int>{A, 11, C, D, E, 6, 8}));
    EXPECT_EQ(pitchClassesOf(ScaleKind::PentatonicMajor, C), (std::set<int>{C, D, E, G, A}));
    EXPECT_EQ(pitchClassesOf(ScaleKind::PentatonicMinor, A), pitchClassesOf(ScaleKind::PentatonicMajor, C));
    EXPECT_EQ(pitchClassesOf(ScaleKind::Blues, C), (std::set<int>{C, 3, F, 6, G, 10}));
    EXPECT_EQ(pitchClassesOf(ScaleKind::WholeTone, 1), (std::set<int>{1, 3, 5, 7, 9, 11}));
    EXPECT_EQ(pitchClassesOf(ScaleKind::Chromatic, 5).size(), 12u);
    // Notes below 0 follow the same pitch classes.
    EXPECT_TRUE(ScaleHolds(ScaleKind::Major, C, -12));
    EXPECT_FALSE(ScaleHolds(ScaleKind::Major, C, -11));
}

TEST(Scale, KeyTonicIsTheMajorTonicOrItsRelativeMinors)
{
    EXPECT_EQ(KeyTonic(0, 0), C);
    EXPECT_EQ(KeyTonic(0, 1), A);
    EXPECT_EQ(KeyTonic(1, 0), G);
    EXPECT_EQ(KeyTonic(-1, 1), D);
    EXPECT_EQ(KeyTonic(7, 0), 1);
    EXPECT_EQ(KeyTonic(-7, 0), 11);
    EXPECT_EQ(KeyTonic(3, 1), 6);  // F sharp minor
}

TEST(Scale, KeywordsReadBackIgnoringCaseAndUnknownWordsAreRefused)
{
    for (ScaleKind scale : kAllScales)
        EXPECT_EQ(ScaleFromKeyword(ScaleKeyword(scale)), scale);
    EXPECT_EQ(ScaleKeyword(ScaleKind::NaturalMinor), "natural-minor");
    EXPECT_EQ(ScaleKeyword(ScaleKind::PentatonicMajor), "pentatonic-major");
    EXPECT_EQ(ScaleFromKeyword("Whole-Tone"), ScaleKind::WholeTone);
    EXPECT_EQ(ScaleFromKeyword("lydian"), std::nullopt);
    EXPECT_EQ(ScaleFromKeyword(""), std::nullopt);
}
