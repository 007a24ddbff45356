#include "platform/alsaseqport.h"

#include "platform/shortmsg.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <optional>

namespace platform {

namespace {

constexpr const char* kClientName = "Orvelline";
constexpr std::int64_t kLookaheadMicros = 250'000;
// Room in the sequencer for the events of a lookahead of a dense song; a
// sender finding it full waits in the sequencer until events fall due.
constexpr int kOutputPool = 2000;
constexpr std::size_t kEncoderBytes = 256;

class AlsaSeqPort : public MidiPort {
public:
    AlsaSeqPort(bool scheduleSongs) : schedule_(scheduleSongs) {}

    ~AlsaSeqPort() override { release(); }

    MmResult start(int client, int port)
    {
        if (snd_seq_open(&seq_, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) {
            seq_ = nullptr;
            return MidiNoSequencer;
        }
        snd_seq_set_client_name(seq_, kClientName);
        port_ = snd_seq_create_simple_port(seq_, kClientName, SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                           SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
        if (port_ < 0 || snd_seq_connect_to(seq_, port_, client, port) < 0)
            return MidiPortUnavailable;
        if (snd_midi_event_new(kEncoderBytes, &encoder_) < 0) {
            encoder_ = nullptr;
            return MidiSynthFailed;
        }
        snd_midi_event_no_status(encoder_, 1);
        if (schedule_) {
            queue_ = snd_seq_alloc_named_queue(seq_, "Orvelline song");
            if (queue_ < 0)
                return MidiNoSequencer;
            snd_seq_set_client_pool_output(seq_, kOutputPool);
        }
        return MmOk;
    }

    MmResult sendShort(std::uint32_t packed) override { return send(shortBytes(packed), std::nullopt); }
    MmResult sendLong(std::span<const std::uint8_t> bytes) override { return send(bytes, std::nullopt); }

    void beginSong(std::int64_t startMicros) override
    {
        if (!schedule_)
            return;
        cancelSong();
        // Starting a queue sets its time to zero: the song's start.
        snd_seq_start_queue(seq_, queue_, nullptr);
        snd_seq_drain_output(seq_);
        startMicros_ = startMicros;
    }

    MmResult sendShortAt(std::uint32_t packed, std::int64_t dueMicros) override
    {
        return schedule_ ? send(shortBytes(packed), dueMicros) : sendShort(packed);
    }

    MmResult sendLongAt(std::span<const std::uint8_t> bytes, std::int64_t dueMicros) override
    {
        return schedule_ ? send(bytes, dueMicros) : sendLong(bytes);
    }

    void cancelSong() override
    {
        if (!schedule_)
            return;
        snd_seq_remove_events_t* remove = nullptr;
        if (snd_seq_remove_events_malloc(&remove) < 0)
            return;
        snd_seq_remove_events_set_condition(remove, SND_SEQ_REMOVE_OUTPUT);
        snd_seq_remove_events_set_queue(remove, queue_);
        snd_seq_remove_events(seq_, remove);
        snd_seq_remove_events_free(remove);
    }

    std::int64_t songLookaheadMicros() const override { return schedule_ ? kLookaheadMicros : 0; }

    MmResult close() override
    {
        release();
        return MmOk;
    }

private:
    std::span<const std::uint8_t> shortBytes(std::uint32_t packed)
    {
        // Data bytes come here within 0-127 (platform/midiout.cpp limits them).
        shortMessage_ = unpackShortMessage(packed);
        return {shortMessage_.bytes.data(), shortMessage_.length};
    }

    MmResult send(std::span<const std::uint8_t> bytes, std::optional<std::int64_t> dueMicros)
    {
        if (bytes.size() > kEncoderBytes && snd_midi_event_resize_buffer(encoder_, bytes.size()) < 0)
            return MidiSendFailed;
        snd_midi_event_reset_encode(encoder_);
        snd_seq_event_t event;
        snd_seq_ev_clear(&event);
        const long used = snd_midi_event_encode(encoder_, bytes.data(), long(bytes.size()), &event);
        if (used <= 0 || event.type == SND_SEQ_EVENT_NONE)
            return MidiInvalidParameter;
        snd_seq_ev_set_source(&event, port_);
        snd_seq_ev_set_subs(&event);
        if (dueMicros) {
            const std::int64_t micros = std::max<std::int64_t>(0, *dueMicros - startMicros_);
            snd_seq_real_time_t time{unsigned(micros / 1'000'000), unsigned(micros % 1'000'000 * 1000)};
            snd_seq_ev_schedule_real(&event, queue_, 0, &time);
        } else {
            snd_seq_ev_set_direct(&event);
        }
        if (snd_seq_event_output(seq_, &event) < 0 || snd_seq_drain_output(seq_) < 0)
            return MidiSendFailed;
        return MmOk;
    }

    void release()
    {
        if (encoder_ != nullptr)
            snd_midi_event_free(encoder_);
        encoder_ = nullptr;
        if (seq_ != nullptr) {
            if (queue_ >= 0)
                snd_seq_free_queue(seq_, queue_);
            snd_seq_close(seq_);
        }
        seq_ = nullptr;
    }

    const bool schedule_;
    snd_seq_t* seq_ = nullptr;
    snd_midi_event_t* encoder_ = nullptr;
    int port_ = -1;
    int queue_ = -1;
    std::int64_t startMicros_ = 0;
    ShortMessage shortMessage_{};
};

}  // namespace

std::unique_ptr<MidiPort> openAlsaSeqPort(int client, int port, bool scheduleSongs, MmResult& status)
{
    auto output = std::make_unique<AlsaSeqPort>(scheduleSongs);
    status = output->start(client, port);
    if (status != MmOk)
        return nullptr;
    return output;
}

}  // namespace platform
