// The debug window and the hidden Debug button that lists the recording in it.
#include <QListWidget>
#include <QPushButton>
#include <QStringList>

#include <cstdint>

#include "mainwindow_fixture.h"

namespace {

class DebugListing : public MainWindowTest {
protected:
    void TearDown() override
    {
        Performer().Entries.clear();
        MainWindowTest::TearDown();
    }

    QStringList lines() const
    {
        QStringList all;
        for (int i = 0; i < debugWindow->ListBox1->count(); ++i)
            all << debugWindow->ListBox1->item(i)->text();
        return all;
    }
};

}  // namespace

TEST_F(DebugListing, ListsEveryEntryAsTimeTypeAndValue)
{
    Performer().Entries.assign({{5, 6, 8192}, {0, 0, 78 << 16}, {12345, 7, -3}, {0xFFFFFFFFu, 3, 0}});

    form->Button1Click();

    EXPECT_TRUE(debugWindow->isVisible());
    EXPECT_TRUE(debugWindow->isWindow());
    EXPECT_FALSE(debugWindow->isModal());
    // Wider values keep all their digits; every word is shown as signed.
    EXPECT_EQ(lines(), (QStringList{QStringLiteral("Time 0005:Type 06: Val:08192 "),
                                    QStringLiteral("Time 0000:Type 00: Val:5111808 "),
                                    QStringLiteral("Time 12345:Type 07: Val:-00003 "),
                                    QStringLiteral("Time -0001:Type 03: Val:00000 ")}));
}

TEST_F(DebugListing, EachClickReplacesTheLinesOfTheClickBefore)
{
    Performer().Entries.assign({{5, 6, 8192}, {7, 7, 100}});
    form->Button1Click();
    ASSERT_EQ(lines().size(), 2);

    Performer().Entries.clear();
    debugWindow->hide();
    form->Button1Click();

    EXPECT_TRUE(debugWindow->isVisible());
    EXPECT_TRUE(lines().isEmpty());

    // Without the window (at shut-down) the button does nothing.
    debugWindow.reset();
    EXPECT_EQ(DebugWindow, nullptr);
    form->Button1Click();
}
