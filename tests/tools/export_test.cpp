// "Export audio...": the session renders the take into the same samples as
// "orvelline-midi render" of the take's saved file, and a cancel leaves nothing.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "mididata/messagesink.h"
#include "mididata/smf_test_support.h"
#include "midiout/midigateway.h"
#include "perform/session.h"
#include "perform/vidize.h"
#include "platform/capture.h"
#include "platform/soundfont.h"
#include "tools/rendercommand.h"

using namespace smftest;

namespace {

Bytes readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(ExportAudio, EqualsTheRenderOfTheSavedTakeAndACancelLeavesNoFile)
{
    const std::string font = platform::findSoundFont({}, platform::systemSoundFonts()).string();
    if (font.empty())
        GTEST_SKIP() << "no General MIDI SoundFont installed";
    platform::installCaptureBackend(1);
    std::uint32_t clock = 1000;
    Session::Options sessionOptions;
    sessionOptions.pause = [](std::uint32_t) {};
    sessionOptions.performerPause = [](std::uint32_t) {};
    sessionOptions.clock = [&clock] { return clock; };
    Session session(sessionOptions);
    ASSERT_EQ(session.gateway().OpenDevice(platform::MidiMapper), 0);
    session.initSound();
    TempDir dir("export-audio");
    const std::string exported = dir.file("take.flac"), saved = dir.file("take.mid"), rendered = dir.file("cli.flac");
    RenderOptions options;
    options.soundFont = font;
    EXPECT_FALSE(session.exportAudio(exported, options).written()) << "no take yet";

    // A take with the panel's own instrument and levels: a glide over the surface, then a held note.
    session.performer().SetProgram(0, 0, 73);
    session.performer().SetReverb(0);
    session.startRecording();
    PointerSample sample;
    sample.width = sample.height = 240;
    for (int step = 0; step < 40; ++step) {
        sample.x = 120;
        sample.y = 60 + 3 * step;
        session.pointerMoved(sample);
        clock += 25;
    }
    session.leaveSurface();
    clock += 200;
    session.stopRecording();

    int calls = 0;
    const RenderResult cancelled = session.exportAudio(exported, options, [&calls](double) { return ++calls < 2; });
    EXPECT_EQ(cancelled.outcome, RenderResult::Outcome::Cancelled);
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "neither the file nor its temporary file";

    double last = 0;
    const RenderResult result = session.exportAudio(exported, options, [&last](double done) {
        EXPECT_GE(done, last);
        last = done;
        return true;
    });
    ASSERT_TRUE(result.written()) << result.error;
    EXPECT_GT(last, 0.5);
    ASSERT_TRUE(session.saveRecording(saved));
    std::ostringstream report, err;
    ASSERT_EQ(runRenderCommand(saved, rendered, options, report, err), 0) << err.str();
    const Bytes ours = readBytes(exported);
    EXPECT_GT(ours.size(), 1000u);
    EXPECT_TRUE(ours == readBytes(rendered)) << "the same samples, so the same FLAC file";
    EXPECT_GT(result.peak, 0.01f) << "and the take sounds";
    platform::removeCaptureBackend();
}
