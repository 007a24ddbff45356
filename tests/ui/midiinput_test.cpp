// The MIDI input as the program wires it: the device window's list "MIDI
// input" connects a source of the private JACK server (scripts/private-audio.sh),
// what that source plays reaches the main window's panel, and the choice is
// kept in orvelline.ini for the next start.
#include <QComboBox>
#include <QLabel>
#include <QScrollBar>
#include <QSignalBlocker>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/midiinput.h"
#include "mainwindow_fixture.h"
#include "midispec/midispec.h"
#include "tests/platform/jacksender.h"

namespace {

class MidiInputWindow : public MainWindowTest {
protected:
    void SetUp() override
    {
        if (!usePrivateJackServer())
            GTEST_SKIP() << "ORV_TEST_JACK_SERVER names no private JACK server";
        MainWindowTest::SetUp();
    }

    std::string iniText() const
    {
        std::ifstream file(iniFile->path());
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
};

TEST_F(MidiInputWindow, TheChosenSourcePlaysThePanelAndIsConnectedAgainAtTheNextStart)
{
    JackSender sender;
    ASSERT_TRUE(sender.start());
    const std::string key = "jack:" + sender.portName();
    auto input = std::make_unique<MidiInput>(*form, platform::MidiIn::Options{.useAlsa = false, .wake = {}});
    device->setMidiInput(&input->input(), *iniFile);
    QComboBox* list = device->MidiInputList;
    ASSERT_TRUE(list->isEnabled());
    EXPECT_EQ(list->itemText(0), QStringLiteral("None"));
    const int line = list->findText(QString::fromStdString(sender.portName() + " (JACK)"));
    ASSERT_GT(line, 0);

    // Chosen from the keyboard, one line down to the sender's.
    {
        const QSignalBlocker quiet(list);
        list->setCurrentIndex(line - 1);
    }
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(input->input().connected(), key) << input->input().status();
    EXPECT_NE(iniText().find("[MidiInput]\nsource=" + key), std::string::npos) << iniText();

    sender.send({0x90, 67, 100});
    for (int value = 0; value <= 90; value += 10)
        sender.send({0xB0, 1, std::uint8_t(value)});
    EXPECT_TRUE(waitUntil([&] { return form->Moduration->value() == 90; }));
    EXPECT_EQ(form->NoteNo->text(), QString::fromStdString(NoteName(67)));
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();

    // At the next start the device window finds the source again.
    device.reset();
    device =
        std::make_unique<TMidiDevice>(session->gateway(), iniFile->path().parent_path(), nullptr, [](TMidiDevice&) {});
    input = std::make_unique<MidiInput>(*form, platform::MidiIn::Options{.useAlsa = false, .wake = {}});
    device->setMidiInput(&input->input(), *iniFile);
    EXPECT_EQ(input->input().connected(), key);
    EXPECT_EQ(device->MidiInputList->currentText(), QString::fromStdString(sender.portName() + " (JACK)"));
}

}  // namespace
