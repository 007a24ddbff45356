#pragma once
// A seekable, growable byte stream in memory. The writer puts a whole file here
// and back-patches chunk lengths; saving to disk writes the finished buffer.
#include <cstddef>
#include <cstdint>
#include <vector>

class ByteStream {
public:
    std::size_t position() const { return pos_; }
    void setPosition(std::size_t p) { pos_ = p; }
    std::size_t size() const { return buf_.size(); }
    const std::vector<std::uint8_t>& bytes() const { return buf_; }
    void reserve(std::size_t n) { buf_.reserve(n); }

    void writeByte(std::uint8_t b)
    {
        if (pos_ == buf_.size()) {
            buf_.push_back(b);
        } else {
            if (pos_ > buf_.size())
                buf_.resize(pos_);
            if (pos_ == buf_.size())
                buf_.push_back(b);
            else
                buf_[pos_] = b;
        }
        ++pos_;
    }
    void write(const std::uint8_t* p, std::size_t n)
    {
        for (std::size_t i = 0; i < n; ++i)
            writeByte(p[i]);
    }
    void writeBe16(std::uint16_t v)
    {
        writeByte(std::uint8_t(v >> 8));
        writeByte(std::uint8_t(v));
    }
    void writeBe32(std::uint32_t v)
    {
        writeByte(std::uint8_t(v >> 24));
        writeByte(std::uint8_t(v >> 16));
        writeByte(std::uint8_t(v >> 8));
        writeByte(std::uint8_t(v));
    }

private:
    std::vector<std::uint8_t> buf_;
    std::size_t pos_ = 0;
};
