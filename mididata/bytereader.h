#pragma once
// Bounds-checked reading of a file image. Every byte the reader takes from a
// file goes through here, so a short or lying file raises an error instead of
// reading past the end. The message to raise is chosen by whoever reads: the
// header reader and the track reader name different faults.
#include <cstddef>
#include <cstdint>

#include "mididata/midierror.h"

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size, const char* shortMessage)
        : data_(data), size_(size), shortMessage_(shortMessage) {}

    size_t position() const { return pos_; }
    void setPosition(size_t p) { pos_ = p < size_ ? p : size_; }
    size_t remaining() const { return size_ - pos_; }
    bool atEnd() const { return pos_ >= size_; }
    void setShortMessage(const char* message) { shortMessage_ = message; }
    const char* shortMessage() const { return shortMessage_; }

    uint8_t byte() {
        if (pos_ >= size_) fail();
        return data_[pos_++];
    }
    uint8_t peek() const {
        if (pos_ >= size_) fail();
        return data_[pos_];
    }
    // Makes sure count more bytes exist and returns them; the position moves past them.
    const uint8_t* take(size_t count) {
        if (count > size_ - pos_) fail();
        const uint8_t* p = data_ + pos_;
        pos_ += count;
        return p;
    }
    uint16_t be16() {
        const uint8_t* p = take(2);
        return static_cast<uint16_t>((p[0] << 8) | p[1]);
    }
    uint32_t be32() {
        const uint8_t* p = take(4);
        return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
    }
    [[noreturn]] void fail() const { throw MidiDataError(shortMessage_); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    const char* shortMessage_;
};
