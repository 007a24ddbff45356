// The report's picture draws the played pitch as one unbroken line in the band
// of its distance from the note due, however many bends the take holds.
#include <QImage>

#include <gtest/gtest.h>

#include "app/intonationroll.h"

namespace {

// How many pixels of column x have the colour, anywhere between the rows.
int pixelsInColumn(const QImage& image, int x, QColor colour, int fromY, int toY)
{
    int count = 0;
    for (int y = fromY; y < toY; ++y)
        count += image.pixelColor(x, y) == colour;
    return count;
}

TEST(IntonationRoll, DenseTakeDrawsUnbrokenInItsBands)
{
    PassScore score;
    score.rows.push_back({0, 0, 1000000, 60});
    score.rows.push_back({0, 1000000, 2000000, 62});
    // C4 wandering within ±10 cents, a stretch every half millisecond; then
    // D4 held 40 cents sharp.
    for (std::int64_t at = 0; at < 1000000; at += 500)
        score.played.push_back({at, at + 500, 60.0 + ((at / 500) % 2 ? 0.04 : -0.04)});
    score.played.push_back({1000000, 2000000, 62.4});

    IntonationRoll roll(nullptr);
    roll.resize(440, 260);
    roll.show(score, {0, 1000000});
    const QImage image = roll.grab().toImage();
    const QColor inTune = IntonationRoll::bandColour(0), sharp = IntonationRoll::bandColour(2);

    // Below the legend, above the bar numbers.
    const int top = 20, bottom = image.height() - 18;
    const int middle = 44 + (440 - 44 - 4) / 2;
    for (int x = 50; x < middle - 4; ++x) {
        ASSERT_GT(pixelsInColumn(image, x, inTune, top, bottom), 0) << "gap at column " << x;
        ASSERT_EQ(pixelsInColumn(image, x, sharp, top, bottom), 0) << "column " << x;
    }
    for (int x = middle + 4; x < 430; ++x) {
        ASSERT_GT(pixelsInColumn(image, x, sharp, top, bottom), 0) << "gap at column " << x;
        ASSERT_EQ(pixelsInColumn(image, x, inTune, top, bottom), 0) << "column " << x;
    }
}

}  // namespace
