#include "platform/jackmidiring.h"

#include <gtest/gtest.h>

#include <vector>

using platform::JackMidiRing;

// Messages of mixed lengths go round a small ring many times: each comes out
// whole and in order, a full ring refuses without losing what it holds, and
// a message larger than the ring is refused outright.
TEST(JackMidiRing, KeepsWholeMessagesInOrderAcrossItsEnd)
{
    JackMidiRing ring(256);
    std::vector<std::uint8_t> big(300, 0xF0);
    EXPECT_FALSE(ring.push(0, 0, big));

    std::int64_t written = 0, read = 0;
    const auto bytesOf = [](std::int64_t n) {
        return std::vector<std::uint8_t>(std::size_t(1 + n % 37), std::uint8_t(n));
    };
    while (read < 500) {
        while (written < 500 && ring.push(written, std::uint32_t(written % 3), bytesOf(written)))
            ++written;
        ASSERT_LT(read, written) << "a ring with room took nothing";
        // Take out a few, leaving the rest to meet the writer at the end.
        for (int i = 0; i < 3 && read < written; ++i, ++read) {
            const JackMidiRing::Record* r = ring.front();
            ASSERT_NE(r, nullptr);
            EXPECT_EQ(r->frame, read);
            EXPECT_EQ(r->song, std::uint32_t(read % 3));
            EXPECT_EQ(std::vector<std::uint8_t>(r->bytes(), r->bytes() + r->size), bytesOf(read));
            ring.pop();
        }
    }
    EXPECT_EQ(ring.front(), nullptr);
}
