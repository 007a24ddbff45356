#include "perform/gridlines.h"

#include <gtest/gtest.h>

#include <vector>

#include "midispec/midispec.h"

namespace {

ScaleMarks Key(int sf)
{
    SelectGridKey(sf, 0);
    return ScaleTable;
}

ScaleMarks CMajor()
{
    return Key(0);
}

std::vector<int> Ys(const std::vector<GridLine>& lines, std::size_t count)
{
    std::vector<int> ys;
    for (std::size_t i = 0; i < count; ++i)
        ys.push_back(lines[i].y1);
    return ys;
}

}  // namespace

TEST(GridLines, VerticalGridPutsOneLinePerSemitoneWhereTheBendMappingPutsTheNote)
{
    const std::vector<GridLine> lines = VerticalGridLines(300, 300, 12, 69, CMajor());
    ASSERT_EQ(lines.size(), 24u + 3u);
    EXPECT_EQ(Ys(lines, 24), (std::vector<int>{300, 287, 275, 262, 250, 237, 225, 212, 200, 187, 175, 162,
                                               150, 137, 125, 112, 100, 87,  75,  62,  50,  37,  25,  12}));
    // Line i is note 57 + i, drawn across the whole width.
    EXPECT_EQ(lines[12], (GridLine{0, 150, 300, 150, true}));   // A
    EXPECT_EQ(lines[13], (GridLine{0, 137, 300, 137, false}));  // A sharp
    EXPECT_EQ(lines[0], (GridLine{0, 300, 300, 300, true}));    // A, just below the layer
    EXPECT_FALSE(lines[23].solid);                              // G sharp, note 80
}

TEST(GridLines, LoudnessGuidesSitAtQuartersWithTheMiddleOneSolid)
{
    const std::vector<GridLine> vertical = VerticalGridLines(301, 300, 12, 69, CMajor());
    EXPECT_EQ(std::vector<GridLine>(vertical.end() - 3, vertical.end()),
              (std::vector<GridLine>{{75, 0, 75, 300, false}, {150, 0, 150, 300, true}, {225, 0, 225, 300, false}}));

    const std::vector<GridLine> horizontal = HorizontalGridLines(300, 301, 12, 69, CMajor());
    EXPECT_EQ(std::vector<GridLine>(horizontal.end() - 3, horizontal.end()),
              (std::vector<GridLine>{{0, 75, 300, 75, false}, {0, 150, 300, 150, true}, {0, 225, 300, 225, false}}));
}

TEST(GridLines, HorizontalGridStartsWithTheLowestNoteOnTheLeftEdge)
{
    const std::vector<GridLine> lines = HorizontalGridLines(300, 300, 12, 69, CMajor());
    ASSERT_EQ(lines.size(), 27u);
    EXPECT_EQ(lines[0], (GridLine{0, 0, 0, 299, true}));
    EXPECT_EQ(lines[1], (GridLine{12, 0, 12, 299, false}));
    EXPECT_EQ(lines[12], (GridLine{150, 0, 150, 299, true}));
    EXPECT_EQ(lines[23], (GridLine{287, 0, 287, 299, false}));
}

TEST(GridLines, RangeTwoDrawsFourLinesAQuarterOfTheAxisApart)
{
    const std::vector<GridLine> lines = VerticalGridLines(300, 300, 2, 69, CMajor());
    ASSERT_EQ(lines.size(), 4u + 3u);
    EXPECT_EQ(Ys(lines, 4), (std::vector<int>{300, 225, 150, 75}));
}

TEST(GridLines, TheKeyDecidesWhichLinesAreSolid)
{
    // Centre 69, range 12: F is note 65 (line 8), F sharp note 66 (line 9).
    const std::vector<GridLine> gMajor = VerticalGridLines(300, 300, 12, 69, Key(1));
    EXPECT_FALSE(gMajor[8].solid);
    EXPECT_TRUE(gMajor[9].solid);
}

TEST(GridLines, NotesOutsideTheMidiRangeAreDotted)
{
    ScaleMarks all;
    all.fill(1);
    const std::vector<GridLine> low = VerticalGridLines(300, 300, 24, 10, all);
    ASSERT_EQ(low.size(), 48u + 3u);
    for (int i = 0; i < 48; ++i)
        EXPECT_EQ(low[i].solid, 10 - 24 + i >= 0) << "line " << i;

    const std::vector<GridLine> high = HorizontalGridLines(300, 300, 24, 120, all);
    for (int i = 0; i < 48; ++i)
        EXPECT_EQ(high[i].solid, 120 - 24 + i <= 127) << "line " << i;
}

TEST(GridLines, RangesOutsideWhatThePanelAcceptsDrawOnlyTheLoudnessGuides)
{
    EXPECT_EQ(VerticalGridLines(300, 300, -5, 69, CMajor()).size(), 3u);
    EXPECT_EQ(HorizontalGridLines(300, 300, -5, 69, CMajor()).size(), 3u);
    EXPECT_EQ(VerticalGridLines(300, 300, 0, 69, CMajor()).size(), 3u);
    EXPECT_EQ(VerticalGridLines(300, 300, 2000000000, 69, CMajor()).size(), 3u);
    EXPECT_EQ(VerticalGridLines(300, 300, 128, 69, CMajor()).size(), 3u);
    EXPECT_EQ(VerticalGridLines(300, 300, 127, 69, CMajor()).size(), 2u * 127 + 3u);
}

TEST(GridLines, LinesLandOnWholePixelsWithoutRoundingLoss)
{
    // Range 5 on a 10-pixel axis: lines every pixel; floating point would put
    // some of them one pixel too low.
    const std::vector<GridLine> lines = VerticalGridLines(10, 10, 5, 60, CMajor());
    EXPECT_EQ(Ys(lines, 10), (std::vector<int>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
}
