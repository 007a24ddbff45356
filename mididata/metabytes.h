#pragma once
// The data bytes of a meta event. Nearly all of them are a few bytes long
// (tempo 3, time signature 4, key 2, port 1), and those live inside the event;
// longer data, such as most texts, go to the heap. A song with a million meter
// changes thus costs a million events, not a million events and as many small
// heap blocks. Reads like the byte vector it stands for.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <vector>

class MetaBytes {
public:
    MetaBytes() = default;
    ~MetaBytes() { delete[] heap_; }
    MetaBytes(const MetaBytes&) = delete;
    MetaBytes& operator=(const MetaBytes&) = delete;
    MetaBytes& operator=(const std::vector<std::uint8_t>& v)
    {
        assign(v.begin(), v.end());
        return *this;
    }
    MetaBytes& operator=(std::initializer_list<std::uint8_t> list)
    {
        assign(list.begin(), list.end());
        return *this;
    }

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const std::uint8_t* data() const { return heap_ ? heap_ : inline_; }
    std::uint8_t* data() { return heap_ ? heap_ : inline_; }
    const std::uint8_t* begin() const { return data(); }
    const std::uint8_t* end() const { return data() + size_; }
    std::uint8_t operator[](std::size_t i) const { return data()[i]; }
    std::uint8_t& operator[](std::size_t i) { return data()[i]; }

    template <std::input_iterator It>
    void assign(It first, It last)
    {
        const std::size_t n = std::size_t(std::distance(first, last));
        reset(n);
        std::transform(first, last, data(), [](auto c) { return std::uint8_t(c); });
    }
    void assign(std::size_t n, std::uint8_t value)
    {
        reset(n);
        std::fill_n(data(), n, value);
    }
    // Keeps the bytes there are; new ones are 0.
    void resize(std::size_t n)
    {
        if (n <= capacity()) {
            if (n > size_)
                std::fill(data() + size_, data() + n, std::uint8_t(0));
            size_ = std::uint32_t(n);
            return;
        }
        auto* bigger = new std::uint8_t[n]();
        std::copy(begin(), end(), bigger);
        delete[] heap_;
        heap_ = bigger;
        size_ = std::uint32_t(n);
    }

    friend bool operator==(const MetaBytes& a, const std::vector<std::uint8_t>& b)
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }

private:
    static constexpr std::size_t kInline = 12;
    std::uint8_t* heap_ = nullptr;
    std::uint32_t size_ = 0;
    std::uint8_t inline_[kInline] = {};

    std::size_t capacity() const { return heap_ ? size_ : kInline; }
    // Room for n bytes whose values do not matter.
    void reset(std::size_t n)
    {
        if (n <= kInline) {
            delete[] heap_;
            heap_ = nullptr;
        } else if (!heap_ || n > size_) {
            auto* room = new std::uint8_t[n];
            delete[] heap_;
            heap_ = room;
        }
        size_ = std::uint32_t(n);
    }
};
