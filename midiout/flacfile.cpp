#include "midiout/flacfile.h"

#include <FLAC/stream_encoder.h>

namespace {

FLAC__StreamEncoderWriteStatus writeBytes(const FLAC__StreamEncoder*, const FLAC__byte buffer[], size_t bytes, uint32_t,
                                          uint32_t, void* writer)
{
    return static_cast<FlacWriter*>(writer)->file().write(buffer, bytes)
               ? FLAC__STREAM_ENCODER_WRITE_STATUS_OK
               : FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
}

FLAC__StreamEncoderSeekStatus seekTo(const FLAC__StreamEncoder*, FLAC__uint64 offset, void* writer)
{
    return static_cast<FlacWriter*>(writer)->file().seek(offset) ? FLAC__STREAM_ENCODER_SEEK_STATUS_OK
                                                                 : FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
}

FLAC__StreamEncoderTellStatus tellWhere(const FLAC__StreamEncoder*, FLAC__uint64* offset, void* writer)
{
    *offset = static_cast<FlacWriter*>(writer)->file().tell();
    return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
}

}  // namespace

struct FlacWriter::Encoder {
    FLAC__StreamEncoder* flac = FLAC__stream_encoder_new();
    ~Encoder()
    {
        if (flac)
            FLAC__stream_encoder_delete(flac);
    }
};

FlacWriter::FlacWriter(std::string path, std::uint32_t sampleRate, std::uint16_t channels)
    : file_(std::move(path)), sampleRate_(sampleRate), channels_(channels)
{}

// Deleting an encoder that did not finish writes its last frame to the
// temporary file, which the safe save then removes.
FlacWriter::~FlacWriter() = default;

bool FlacWriter::encoderFailed()
{
    if (error_.empty() && file_.error().empty()) {
        const char* state =
            encoder_ && encoder_->flac ? FLAC__stream_encoder_get_resolved_state_string(encoder_->flac) : "no memory";
        error_ = "Couldn't write file " + file_.path() + ": the FLAC encoder failed (" + state + ")";
    }
    return false;
}

bool FlacWriter::open()
{
    if (!file_.open())
        return false;
    encoder_ = std::make_unique<Encoder>();
    FLAC__StreamEncoder* const flac = encoder_->flac;
    if (!flac)
        return encoderFailed();
    // Level 5 is the encoder's own default: most of the saving at a small part of the cost.
    const bool set =
        FLAC__stream_encoder_set_channels(flac, channels_) && FLAC__stream_encoder_set_bits_per_sample(flac, 16) &&
        FLAC__stream_encoder_set_sample_rate(flac, sampleRate_) && FLAC__stream_encoder_set_compression_level(flac, 5);
    if (!set || FLAC__stream_encoder_init_stream(flac, writeBytes, seekTo, tellWhere, nullptr, this) !=
                    FLAC__STREAM_ENCODER_INIT_STATUS_OK)
        return encoderFailed();
    return true;
}

bool FlacWriter::write(std::span<const std::int16_t> samples)
{
    if (!encoder_ || !encoder_->flac)
        return false;
    wide_.assign(samples.begin(), samples.end());
    if (!FLAC__stream_encoder_process_interleaved(encoder_->flac, wide_.data(), uint32_t(samples.size() / channels_)))
        return encoderFailed();
    return true;
}

bool FlacWriter::finish()
{
    if (!encoder_ || !encoder_->flac)
        return false;
    // Writes the last frame and goes back to complete the stream's header.
    if (!FLAC__stream_encoder_finish(encoder_->flac))
        return encoderFailed();
    return file_.commit();
}
