// What reading a song sends: the resets the song asks for, a pause for the
// module, and the channel offered to the performer.
#include <cstdint>
#include <vector>

#include "capturedgateway.h"
#include "mididata/song.h"
#include "mididata/track.h"
#include "midiout/opensong.h"

namespace {

class OpenSong : public CapturedGateway {
protected:
    // The wire form of one of the song's reset messages.
    static Bytes wire(const sysexEvent* reset)
    {
        Bytes bytes{reset->status};
        bytes.insert(bytes.end(), reset->bytes.begin(), reset->bytes.end());
        return bytes;
    }

    std::vector<std::uint32_t> pauses;
    std::function<void(std::uint32_t)> pause = [this](std::uint32_t ms) { pauses.push_back(ms); };
    midiSong song;
};

}  // namespace

TEST_F(OpenSong, SendsTheResetsTheSongAsksForEachAfterThoseBeforeItThenPauses)
{
    openDefault();
    const Bytes gm = wire(song.gmSystemOn), gs = wire(song.gsReset), xg = wire(song.xgSystemOn);

    song.resetFlags = 0;  // a song without a reset gets GM System On
    sendSongReset(*gateway, song, pause);
    EXPECT_EQ(sent(), (std::vector<Bytes>{gm}));
    EXPECT_EQ(pauses, (std::vector<std::uint32_t>{50}));

    log->clear();
    song.resetFlags = kResetGmSystemOn | kResetGsReset;
    sendSongReset(*gateway, song, pause);
    EXPECT_EQ(sent(), (std::vector<Bytes>{gm, gm, gs}));

    // Without GM System On the song's own reset comes alone; GS wins over XG.
    log->clear();
    song.resetFlags = kResetXgSystemOn;
    sendSongReset(*gateway, song, pause);
    EXPECT_EQ(sent(), (std::vector<Bytes>{xg}));
    log->clear();
    song.resetFlags = kResetGsReset | kResetXgSystemOn;
    sendSongReset(*gateway, song, pause);
    EXPECT_EQ(sent(), (std::vector<Bytes>{gs}));
    EXPECT_TRUE(sink.texts().empty());
}

TEST_F(OpenSong, WithNoDeviceOpenNothingIsSentReportedOrWaitedFor)
{
    sendSongReset(*gateway, song, pause);
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(pauses.empty());
    EXPECT_TRUE(sink.texts().empty());
}

TEST_F(OpenSong, OffersTheLowestChannelNoTrackUsesNeverPercussion)
{
    EXPECT_EQ(freeChannel(song), 0) << "an empty song";
    auto* track = new midiTrack(&song, 1, "");
    song.tracks.push_back(track);
    song.tracks.push_back(nullptr);  // a track that could not be read
    track->channels = 0x01FF;        // channels 1 to 9
    EXPECT_EQ(freeChannel(song), 10) << "channel 10 is skipped";
    track->channels = 0xFDFF;  // all but 10
    EXPECT_EQ(freeChannel(song), -1);
}
