// The Panic action: Escape or the window's menu silences every channel of the
// tone module, and the next movement over the surface starts a new note.
#include <QAction>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>

#include "app/widgets.h"
#include "mainwindow_fixture.h"

namespace {

class PanicAction : public MainWindowTest {
protected:
    // The note-off of the sounding note, then all sound off and reset all
    // controllers on every channel, then the modulation depth again.
    static std::vector<Bytes> panicMessages(int modulation)
    {
        std::vector<Bytes> messages{{0x90, 69, 0}};
        for (std::uint8_t channel = 0; channel < 16; ++channel) {
            messages.push_back({std::uint8_t(0xB0 | channel), 0x78, 0x00});
            messages.push_back({std::uint8_t(0xB0 | channel), 0x79, 0x00});
        }
        messages.push_back({0xB0, 1, std::uint8_t(modulation)});
        return messages;
    }

    void startNote()
    {
        moveMouse(form->Image4, {150, 150});
        clearCaptured();
    }

    static bool isNoteOn(const Bytes& message) { return message.size() == 3 && message[0] == 0x90 && message[2] > 0; }
};

}  // namespace

TEST_F(PanicAction, EscapeSilencesEveryChannelAndTheNextMovementStartsANewNote)
{
    startNote();
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_EQ(captured(), panicMessages(0));

    clearCaptured();
    moveMouse(form->Image4, {150, 150});
    const std::vector<Bytes> again = captured();
    ASSERT_FALSE(again.empty());
    EXPECT_TRUE(isNoteOn(again.back())) << "the same place plays a new note";
}

TEST_F(PanicAction, EscapeWorksWhileAnEditHasTheFocus)
{
    form->activateWindow();
    form->BSM->setFocus();
    startNote();
    QTest::keyClick(form->BSM, Qt::Key_Escape);
    EXPECT_EQ(captured(), panicMessages(0));
    EXPECT_EQ(form->BSM->text(), QStringLiteral("0"));
}

TEST_F(PanicAction, TheWindowMenuOffersPanicAfterStopAndKeepsTheModulation)
{
    const QList<QAction*> entries = form->PopupMenu1->actions();
    const qsizetype at = entries.indexOf(form->Panic);
    ASSERT_GT(at, 0);
    EXPECT_EQ(entries[at - 1]->text(), QStringLiteral("Stop"));
    EXPECT_EQ(form->Panic->text(), QStringLiteral("Panic"));
    EXPECT_EQ(form->Panic->shortcut(), QKeySequence(Qt::Key_Escape));

    form->Moduration->setValue(64);
    startNote();
    entries[at]->trigger();
    EXPECT_EQ(captured(), panicMessages(64));
    EXPECT_EQ(form->Moduration->value(), 64);
}
