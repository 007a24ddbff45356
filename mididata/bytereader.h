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
    ByteReader(const std::uint8_t* data, std::size_t size, const char* shortMessage)
        : data_(data), size_(size), shortMessage_(shortMessage)
    {}

    std::size_t position() const { return pos_; }
    void setPosition(std::size_t p) { pos_ = p < size_ ? p : size_; }
    std::size_t remaining() const { return size_ - pos_; }
    bool atEnd() const { return pos_ >= size_; }
    void setShortMessage(const char* message) { shortMessage_ = message; }
    const char* shortMessage() const { return shortMessage_; }

    std::uint8_t byte()
    {
        if (pos_ >= size_)
            fail();
        return data_[pos_++];
    }
    std::uint8_t peek() const
    {
        if (pos_ >= size_)
            fail();
        return data_[pos_];
    }
    // Makes sure count more bytes exist and returns them; the position moves past them.
    const std::uint8_t* take(std::size_t count)
    {
        if (count > size_ - pos_)
            fail();
        const std::uint8_t* p = data_ + pos_;
        pos_ += count;
        return p;
    }
    std::uint16_t be16()
    {
        const std::uint8_t* p = take(2);
        return static_cast<std::uint16_t>((p[0] << 8) | p[1]);
    }
    std::uint32_t be32()
    {
        const std::uint8_t* p = take(4);
        return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
    }
    [[noreturn]] void fail() const { throw MidiDataError(shortMessage_); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    const char* shortMessage_;
};
