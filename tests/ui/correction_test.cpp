// Pitch correction on the main window: orvelline.ini sets it up, the surface
// plays the corrected bends into the capture device and the recording, the
// menus and the keys 1-5 choose it, and the grid shows the scale.
#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTimer>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "app/correctioncontrols.h"
#include "app/widgets.h"
#include "mainwindow_fixture.h"
#include "mididata/event.h"
#include "mididata/smf_test_support.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "perform/surfacemapping.h"

namespace {

class Correction : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Performer().Entries.clear();
    }

    void TearDown() override
    {
        Performer().StopRecording();
        MainWindowTest::TearDown();
    }

    QString iniPath() const { return folderPath() + QStringLiteral("orvelline.ini"); }

    // Starts the program again with this orvelline.ini beside there.cfg.
    void startWith(const char* ini)
    {
        stopProgram();
        QFile file(iniPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(ini);
        file.close();
        startProgram();
        clearCaptured();
    }

    std::vector<int> capturedBends() const
    {
        std::vector<int> bends;
        for (const Bytes& message : captured())
            if (message[0] == 0xE0)
                bends.push_back(message[1] | message[2] << 7);
        return bends;
    }

    // Whether the grid layer's row y holds a dotted line (some pixels white).
    bool rowIsDotted(int y) const
    {
        const QImage& layer = form->Image4->Picture;
        int white = 0;
        for (int x = 0; x < layer.width(); ++x)
            white += (layer.pixel(x, y) | 0xFF000000u) == qRgb(255, 255, 255);
        return white > 0;
    }

    // The row of note n's line in the vertical mapping (range 12, centre 69).
    int rowOf(int note) const { return form->Image4->height() * (24 - (note - 57)) / 24; }
};

// The pitch of a bend for range 12, in semitones from the centre note A 4.
double semitonesOf(int bend)
{
    return (bend - 8192) * 12 / 8192.0;
}

bool inCMajor(int note)
{
    const int pitchClass = note % 12;
    return pitchClass == 0 || pitchClass == 2 || pitchClass == 4 || pitchClass == 5 || pitchClass == 7 ||
           pitchClass == 9 || pitchClass == 11;
}

}  // namespace

TEST_F(Correction, OffSendsTodaysBendForEveryPixelOfThePitchAxisInAllFourMappings)
{
    startWith("[Correction]\nstrength=0\nscale=blues\nglide_ms=300\n");
    const int w = form->Image4->width();
    const int h = form->Image4->height();
    for (const bool horizontal : {false, true}) {
        for (const bool easy : {false, true}) {
            form->XAxTone->setChecked(horizontal);
            form->EasyMode->setChecked(easy);
            clearCaptured();
            // Today's bends, each sent when it differs from the one before.
            std::vector<int> expected;
            int previous = Performer().PitchBend;
            const int length = horizontal ? w : h;
            for (int p = 0; p < length; ++p) {
                moveMouse(form->Image4, horizontal ? QPoint(p, h / 2) : QPoint(w / 2, p));
                const int bend = horizontal ? (easy ? surface::EasyBend(p, w, 12) : surface::HorizontalBend(p, w))
                                            : (easy ? surface::EasyBend(h - p, h, 12) : surface::VerticalBend(p, h));
                if (bend != previous)
                    expected.push_back(bend);
                previous = bend;
            }
            EXPECT_EQ(capturedBends(), expected) << "horizontal " << horizontal << ", easy " << easy;
        }
    }
}

TEST_F(Correction, FullStrengthPlaysAndRecordsOnlyNotesOfTheGridKey)
{
    startWith("[Correction]\nstrength=100\nscale=major\nglide_ms=0\n");
    const int w = form->Image4->width();
    const int h = form->Image4->height();

    // 160 of 300 pixels up: 0.8 semitones above A, which is nearer than B.
    moveMouse(form->Image4, {w / 2, h - 160});
    EXPECT_EQ(form->StatusBar1->currentMessage(), QStringLiteral("Vol:127 Note: A 4 79 Cent"));

    // The actions follow the recorder when the window goes idle.
    QTest::qWait(10);
    form->ArecStart->trigger();
    QTest::qWait(10);
    for (int y = 3; y < h; y += 7)
        moveMouse(form->Image4, {w / 2, y});
    moveMouse(form->Panel1, {2, 2});
    form->ArecEnd->trigger();
    QTest::qWait(10);
    ASSERT_FALSE(Performer().IsRecording());

    const std::vector<int> live = capturedBends();
    EXPECT_GE(live.size(), 10u);
    for (int bend : live) {
        const double semitones = semitonesOf(bend);
        const long note = std::lround(semitones);
        EXPECT_LE(std::abs(semitones - double(note)) * 100, 1.0) << bend;
        EXPECT_TRUE(inCMajor(69 + int(note))) << bend;
    }

    const QString path = folderPath() + QStringLiteral("take.mid");
    form->SaveDialog1 = [path] { return path; };
    form->PopupMenu1->findChild<QAction*>(QStringLiteral("SaveasMIDIfile1"))->trigger();
    ASSERT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    const smftest::Bytes bytes = smftest::readFile(path.toStdString());
    midiSong back;
    back.loadFromMemory(bytes.data(), bytes.size());
    std::vector<int> saved;
    for (const midiTrack* track : back.tracks)
        for (const anyEvent* e : track->items())
            if (e != nullptr && e->kind() == kKindPitchBend)
                saved.push_back(static_cast<const PitchBendEvent*>(e)->bend);
    // Before the take, A was aimed at: the bend stayed at 8192 and nothing was sent.
    EXPECT_EQ(saved, live);
}

TEST_F(Correction, MenusAndKeysChooseTheStrengthButDigitsStillReachTextFields)
{
    const QList<QAction*> entries = form->PopupMenu2->actions();
    const qsizetype key = entries.indexOf(form->GridKey1->menuAction());
    ASSERT_GE(key, 0);
    ASSERT_GE(entries.size(), key + 3);
    EXPECT_EQ(entries[key + 1]->text(), QStringLiteral("Scale"));
    EXPECT_EQ(entries[key + 2]->text(), QStringLiteral("Correction"));
    CorrectionControls& controls = *form->Correction;
    EXPECT_TRUE(controls.StrengthItems[0]->isChecked()) << "off without orvelline.ini";
    EXPECT_TRUE(controls.ScaleItems[0]->isChecked()) << "chromatic without orvelline.ini";

    controls.StrengthItems[2]->trigger();
    EXPECT_EQ(controls.correction().settings().strength, 50);
    EXPECT_EQ(controls.StrengthItems[2]->text(), QStringLiteral("50 %"));

    typeChar(form->Image4, '4');
    EXPECT_EQ(controls.correction().settings().strength, 75);
    EXPECT_TRUE(controls.StrengthItems[3]->isChecked());
    EXPECT_FALSE(controls.StrengthItems[2]->isChecked());

    form->BSM->setFocus();
    typeChar(form->BSM, '5');
    EXPECT_EQ(controls.correction().settings().strength, 75);
    EXPECT_EQ(form->BSM->text(), QStringLiteral("05"));

    form->Image4->setFocus();
    typeChar(form->Image4, '1');
    EXPECT_EQ(controls.correction().settings().strength, 0);
    typeChar(form->Image4, '5');
    controls.ScaleItems[std::size_t(ScaleKind::Dorian)]->trigger();

    // Closing keeps the choices in orvelline.ini.
    restartProgram();
    EXPECT_EQ(form->Correction->correction().settings(), (CorrectionSettings{100, ScaleKind::Dorian, 0}));
    EXPECT_TRUE(form->Correction->StrengthItems[4]->isChecked());
}

TEST_F(Correction, TheGridDrawsTheScaleAndMajorDrawsTodaysGrid)
{
    const QImage today = form->Image4->Picture;
    CorrectionControls& controls = *form->Correction;
    controls.ScaleItems[std::size_t(ScaleKind::Major)]->trigger();
    EXPECT_EQ(form->Image4->Picture, today);

    controls.ScaleItems[std::size_t(ScaleKind::NaturalMinor)]->trigger();  // on C, the grid key's tonic
    EXPECT_FALSE(rowIsDotted(rowOf(63))) << "E flat";
    EXPECT_TRUE(rowIsDotted(rowOf(64))) << "E";
    EXPECT_FALSE(rowIsDotted(rowOf(62))) << "D";

    form->GridKeyItems[1]->trigger();  // G: G natural minor has B flat
    EXPECT_FALSE(rowIsDotted(rowOf(70)));
    EXPECT_TRUE(rowIsDotted(rowOf(71)));
}

TEST_F(Correction, AMinorKeyReadFromAFilePicksNaturalMinorOnItsTonic)
{
    const smftest::Bytes song = smftest::smf(
        0, {smftest::timed({{0, {0xFF, 0x59, 0x02, 0x00, 0x01}}, {0, {0x90, 60, 100}}, {10, {0x80, 60, 0}}})});
    const QString path = folderPath() + QStringLiteral("minor.mid");
    smftest::writeFile(path.toStdString(), song);
    form->OpenDialog1 = [path] { return path; };
    form->OpenMIDI->trigger();

    const CorrectionControls& controls = *form->Correction;
    EXPECT_TRUE(controls.ScaleItems[std::size_t(ScaleKind::NaturalMinor)]->isChecked());
    EXPECT_EQ(controls.correction().root(), 9);
    EXPECT_FALSE(rowIsDotted(rowOf(67))) << "G is in A natural minor";
    EXPECT_TRUE(rowIsDotted(rowOf(68))) << "G sharp is not";
}

TEST_F(Correction, ABadKeyInTheSettingsFileCostsThatKeyAloneWithOneMessage)
{
    startWith("[Correction]\nstrength=100\nscale=ionian ; a typo\nglide_ms=20\n");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("orvelline.ini, line 3: scale"))) << messages[0].toStdString();
    EXPECT_EQ(form->Correction->correction().settings(), (CorrectionSettings{100, ScaleKind::Chromatic, 20}));

    // Closing leaves the user's lines as written, since nothing was changed
    // (the window's own sections may follow them).
    stopProgram();
    QFile file(iniPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("[Correction]\nstrength=100\nscale=ionian ; a typo\nglide_ms=20\n"))
        << text.toStdString();
    startProgram();
}

TEST_F(Correction, WithAGlideARestingHandLandsOnTheNoteInSpacedSteps)
{
    startWith("[Correction]\nstrength=100\nscale=major\nglide_ms=60\n");
    const int w = form->Image4->width();
    const int h = form->Image4->height();
    // 160 of 300 pixels up: bend 8737, 0.8 semitones above A, which is the nearest note of C major.
    moveMouse(form->Image4, {w / 2, h - 160});
    ASSERT_TRUE(waitUntil([] { return Performer().PitchBend == 8192; }));
    EXPECT_EQ(form->StatusBar1->currentMessage(), QStringLiteral("Vol:127 Note: A 4 79 Cent"));

    std::vector<platform::CapturedMessage> bends;
    for (const platform::CapturedMessage& m : capturedMessages())
        if (!m.isLong && m.bytes[0] == 0xE0)
            bends.push_back(m);
    ASSERT_GE(bends.size(), 3u);
    EXPECT_EQ(bends.front().bytes, (Bytes{0xE0, 8737 & 0x7F, 8737 >> 7})) << "the hand arrives moving";
    for (std::size_t i = 1; i < bends.size(); ++i) {
        const int before = bends[i - 1].bytes[1] | bends[i - 1].bytes[2] << 7;
        const int after = bends[i].bytes[1] | bends[i].bytes[2] << 7;
        EXPECT_LT(after, before) << "down to A and only down";
        EXPECT_GE(bends[i].micros - bends[i - 1].micros, 4000) << "settling steps come 5 ms apart";
    }
    EXPECT_FALSE(form->Correction->SettleTimer->isActive()) << "the timer stops once the note is reached";
}
