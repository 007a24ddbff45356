// The grid layer's pixels: where the lines lie, solid or dotted, in which
// colour, for both mappings, the grid keys, the range and the centre note.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QToolButton>

#include <set>
#include <stdexcept>

#include "app/widgets.h"
#include "mainwindow_fixture.h"

namespace {

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);

enum class Stroke { None, Solid, Dotted, Mixed };

class GridLayer : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // Every test starts from the key the window starts in, whatever an earlier test chose.
        form->GridKeyClick(0);
    }

    const QImage& layer() const { return form->Image4->Picture; }

    // How the pixels from..to (inclusive) of a row or a column are painted.
    Stroke stroke(bool row, int at, int from, int to, QRgb colour = kRed) const
    {
        int painted = 0;
        int blank = 0;
        for (int i = from; i <= to; ++i) {
            const QRgb pixel = layer().pixel(row ? i : at, row ? at : i) | 0xFF000000u;
            if (pixel == colour)
                ++painted;
            else if (pixel == kWhite)
                ++blank;
            else
                return Stroke::Mixed;
        }
        if (painted == 0)
            return Stroke::None;
        return blank == 0 ? Stroke::Solid : Stroke::Dotted;
    }

    Stroke row(int y, QRgb colour = kRed) const { return stroke(true, y, 0, layer().width() - 1, colour); }
    Stroke column(int x) const { return stroke(false, x, 0, layer().height() - 1); }

    // The rows (or columns) with a line crossing the first few pixels of the
    // other axis, where no guide line lies.
    std::set<int> linesNearTheEdge(bool rows) const
    {
        std::set<int> found;
        const int count = rows ? layer().height() : layer().width();
        for (int at = 0; at < count; ++at)
            if (stroke(rows, at, 0, 9) != Stroke::None)
                found.insert(at);
        return found;
    }

    // Where the lines of the pitch axis are expected: trunc(k / 2R x length) for k = 1 .. 2R - 1.
    static std::set<int> fractions(int range, int length)
    {
        std::set<int> at;
        for (int k = 1; k < 2 * range; ++k)
            at.insert(k * length / (2 * range));
        return at;
    }
};

}  // namespace

TEST_F(GridLayer, DrawsOneLinePerSemitoneSolidForTheNotesOfTheKey)
{
    ASSERT_EQ(layer().size(), QSize(300, 300));
    ASSERT_EQ(layer().size(), form->Image4->size());

    // Lines for notes 58 to 80; the line of note 57 lies just below the layer.
    EXPECT_EQ(linesNearTheEdge(true), fractions(12, 300));
    EXPECT_EQ(row(150), Stroke::Solid);   // A
    EXPECT_EQ(row(137), Stroke::Dotted);  // A sharp
    EXPECT_EQ(row(12), Stroke::Dotted);   // G sharp, the highest line
    EXPECT_EQ(row(25), Stroke::Solid);    // G
    EXPECT_EQ(stroke(true, 149, 0, 74), Stroke::None);

    // The loudness guides: a quarter, a half (solid: loudness 127), three quarters.
    EXPECT_EQ(column(150), Stroke::Solid);
    EXPECT_EQ(stroke(false, 75, 0, 140), Stroke::Dotted);
    EXPECT_EQ(stroke(false, 225, 0, 140), Stroke::Dotted);

    EXPECT_EQ(layer().pixel(0, 299) | 0xFF000000u, kWhite);
}

TEST_F(GridLayer, PitchOnTheHorizontalAxisDrawsColumnsStoppingAboveTheBottomRow)
{
    form->XAxTone->setChecked(true);
    // The lowest note's line lies on the left edge.
    std::set<int> expected = fractions(12, 300);
    expected.insert(0);
    EXPECT_EQ(linesNearTheEdge(false), expected);
    EXPECT_EQ(stroke(false, 150, 0, 298), Stroke::Solid);  // A
    EXPECT_EQ(stroke(false, 150, 299, 299), Stroke::None);
    EXPECT_EQ(stroke(false, 162, 0, 140), Stroke::Dotted);  // A sharp
    EXPECT_EQ(row(150), Stroke::Solid);
    EXPECT_EQ(stroke(true, 75, 1, 11), Stroke::Dotted);
    EXPECT_EQ(layer().pixel(0, 299) | 0xFF000000u, kWhite);
}

TEST_F(GridLayer, ChoosingAGridKeyRedrawsTheLinesOfThatKey)
{
    // Centre 69, range 12: F (note 65) at y = 200, F sharp (note 66) at y = 187.
    EXPECT_EQ(row(200), Stroke::Solid);
    EXPECT_EQ(row(187), Stroke::Dotted);

    form->GridKeyItems[1]->trigger();
    EXPECT_EQ(row(200), Stroke::Dotted);
    EXPECT_EQ(row(187), Stroke::Solid);
    EXPECT_EQ(form->GridKeyName, QStringLiteral("G(#x1)"));
    EXPECT_TRUE(form->GridKeyItems[1]->isChecked());
    EXPECT_FALSE(form->GridKeyItems[0]->isChecked());

    form->GridKeyClick(2);  // F major: B flat (note 70) solid, B (note 71) dotted
    EXPECT_EQ(row(137), Stroke::Solid);
    EXPECT_EQ(row(125), Stroke::Dotted);
    EXPECT_EQ(form->GridKeyName, QStringLiteral("F(bx1)"));
    EXPECT_TRUE(form->GridKeyItems[2]->isChecked());
}

TEST_F(GridLayer, TheGridFollowsTheRangeAndTheCentreNote)
{
    enterText(form->BendRange->lineEdit(), QStringLiteral("2"));
    EXPECT_EQ(linesNearTheEdge(true), (std::set<int>{75, 150, 225}));
    // Notes 67 (below the layer), 68, 69 and 70.
    EXPECT_EQ(row(225), Stroke::Dotted);  // G sharp
    EXPECT_EQ(row(150), Stroke::Solid);   // A
    EXPECT_EQ(row(75), Stroke::Dotted);   // A sharp
}

TEST_F(GridLayer, MovingTheCentreNoteMovesTheKeyAlongTheLines)
{
    QTest::mouseClick(form->UpDownNoteNo->upButton(), Qt::LeftButton);
    EXPECT_EQ(row(150), Stroke::Dotted);  // B flat now lies in the middle
    EXPECT_EQ(row(162), Stroke::Solid);   // A one line lower
}

TEST_F(GridLayer, LinesTakeTheGridColour)
{
    form->GridColor = 0x00FF0000;  // blue, as 0x00BBGGRR
    form->DrawGrid();
    EXPECT_EQ(row(150, qRgb(0, 0, 255)), Stroke::Solid);

    form->GridColor = 0x0000FFFF;  // yellow
    form->DrawGrid();
    EXPECT_EQ(row(150, qRgb(255, 255, 0)), Stroke::Solid);

    // White is the see-through colour: the lines vanish.
    form->GridColor = 0x00FFFFFF;
    form->DrawGrid();
    for (int y = 0; y < 300; ++y)
        ASSERT_EQ(stroke(true, y, 0, 299, kWhite), Stroke::Solid) << y;
}

TEST_F(GridLayer, ARangeBeingTypedLeavesTheLinesOfTheRangeInUse)
{
    const QImage before = layer();
    form->BendRange->lineEdit()->setFocus();
    QTest::keyClick(form->BendRange->lineEdit(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(form->BendRange->lineEdit(), QStringLiteral("twe"));
    form->DrawGrid();
    EXPECT_EQ(layer(), before);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(GridLayer, TheBitmapFollowsTheSizeOfTheLayer)
{
    form->resize(form->width() + 100, form->height() + 60);
    QTest::qWait(1);
    EXPECT_EQ(layer().size(), form->Image4->size());
    EXPECT_EQ(form->Image4->size(), QSize(400, 360));
    EXPECT_EQ(row(180), Stroke::Solid);  // A, in the middle again
}
