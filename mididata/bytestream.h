#pragma once
// A seekable, growable byte stream in memory. The writer puts a whole file here
// and back-patches chunk lengths; saving to disk writes the finished buffer.
#include <cstddef>
#include <cstdint>
#include <vector>

class ByteStream {
public:
    size_t position() const { return pos_; }
    void setPosition(size_t p) { pos_ = p; }
    size_t size() const { return buf_.size(); }
    const std::vector<uint8_t>& bytes() const { return buf_; }
    void reserve(size_t n) { buf_.reserve(n); }

    void writeByte(uint8_t b) {
        if (pos_ == buf_.size()) {
            buf_.push_back(b);
        } else {
            if (pos_ > buf_.size()) buf_.resize(pos_);
            if (pos_ == buf_.size()) buf_.push_back(b); else buf_[pos_] = b;
        }
        ++pos_;
    }
    void write(const uint8_t* p, size_t n) {
        for (size_t i = 0; i < n; ++i) writeByte(p[i]);
    }
    void writeBe16(uint16_t v) {
        writeByte(uint8_t(v >> 8));
        writeByte(uint8_t(v));
    }
    void writeBe32(uint32_t v) {
        writeByte(uint8_t(v >> 24));
        writeByte(uint8_t(v >> 16));
        writeByte(uint8_t(v >> 8));
        writeByte(uint8_t(v));
    }

private:
    std::vector<uint8_t> buf_;
    size_t pos_ = 0;
};
