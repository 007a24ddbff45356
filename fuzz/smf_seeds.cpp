// Writes small Standard MIDI Files into a folder, as the fuzzer's first corpus.
#include <cstdio>
#include <string>

#include "mididata/bytestream.h"
#include "mididata/song.h"
#include "midispec/midivocabulary.h"

namespace {

void writeFile(const std::string& path, const ByteStream& s)
{
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(s.bytes().data(), 1, s.size(), f);
        std::fclose(f);
    }
}

template <class E>
E* add(midiTrack* t, E* e)
{
    t->addEvent(e);
    return e;
}

void fillTrack(midiSong& song, midiTrack* t, int channel, bool meta)
{
    if (meta) {
        add(t, new trackNameEvent(0))->setText("Seed");
        add(t, new copyrightEvent(0))->setText("(c)");
        add(t, new TempoEvent(0, 0x51, 600000));
        auto* sig = add(t, new timeBeatEvent(0));
        sig->data = {6, 3, 24, 8};
        sig->length = 4;
        auto* key = add(t, new keyEvent(0));
        key->data = {0xFD, 1};
        key->length = 2;
        auto* sx = add(t, new sysexEvent(0, 0xF0, 0));
        sx->bytes = {0x43, 0x10, 0x4C, 0x08, 0x00, 0x07, 0x02, 0xF7};
    }
    for (int i = 0; i < 8; ++i) {
        auto* on = add(t, new NoteOnEvent(i * 120, std::uint8_t(channel)));
        // Some editors write data bytes of 128 or more, which are read and written as they are.
        on->key = std::uint8_t(i == 6 ? 0xC3 : 60 + i % 3);
        on->velocity = i == 5 ? 0xCC : 100;
        on->duration = i % 4 == 0 ? 0 : 240;
        auto* cc = add(t, new ControlChangeEvent(i * 120 + 10, std::uint8_t(channel)));
        cc->controller = i == 7 ? midi::kAllNotesOff : midi::kExpression;
        cc->value = i == 3 ? 0x80 : 90;
        add(t, new PitchBendEvent(i * 120 + 20, std::uint8_t(channel)))->bend =
            std::uint16_t(midi::kBendCentre + i * 100);
    }
    add(t, new ProgramChangeEvent(5, std::uint8_t(channel)))->program = 78;
    add(t, new ChannelAfterTouchEvent(30, std::uint8_t(channel)))->pressure = 40;
    add(t, new PolyAfterEvent(40, std::uint8_t(channel)))->velocity = 20;
    t->sort();
    (void)song;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string dir = argc > 1 ? argv[1] : ".";
    for (int format = 0; format <= 1; ++format) {
        for (int tracks = 1; tracks <= 3; ++tracks) {
            midiSong song;
            song.format = std::int16_t(format);
            song.resetFlags = std::uint32_t(tracks);
            for (int i = 0; i < tracks; ++i) {
                auto* t = new midiTrack(&song, i, "");
                song.tracks.push_back(t);
                fillTrack(song, t, i == 2 ? 9 : i, i == 0);
            }
            ByteStream s;
            song.save(s);
            writeFile(dir + "/seed-f" + std::to_string(format) + "-t" + std::to_string(tracks) + ".mid", s);
        }
    }
    return 0;
}
