#pragma once
// A performer wired to a gateway on the capture device, with the pauses noted
// instead of slept, so that tests see every message and where each pause fell
// without waiting for them.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <ostream>
#include <utility>
#include <vector>

#include "midiout/midigateway.h"
#include "perform/vidize.h"
#include "platform/capture.h"

using Bytes = std::vector<std::uint8_t>;

// A pause of `ms`, taken when `afterMessages` messages had reached the device.
struct NotedPause {
    std::uint32_t ms = 0;
    std::size_t afterMessages = 0;
    bool operator==(const NotedPause&) const = default;
};

inline void PrintTo(const NotedPause& p, std::ostream* os)
{
    *os << p.ms << " ms after message " << p.afterMessages;
}

class CapturedPerformer : public ::testing::Test {
protected:
    void SetUp() override
    {
        log = &platform::installCaptureBackend(1);
        gateway = std::make_unique<MidiGateway>();
        ASSERT_EQ(gateway->OpenDevice(platform::MidiMapper), 0);
        const auto pause = [this](std::uint32_t ms) { pauses.push_back({ms, log->size()}); };
        performer = std::make_unique<TVidize>(gateway.get(), pause);
        log->clear();
    }

    void TearDown() override
    {
        performer.reset();
        gateway.reset();
        platform::removeCaptureBackend();
    }

    // The wire bytes of every message since the last forget().
    std::vector<Bytes> sent() const
    {
        std::vector<Bytes> all;
        for (const platform::CapturedMessage& m : log->messages())
            all.push_back(m.bytes);
        return all;
    }

    void forget()
    {
        log->clear();
        pauses.clear();
    }

    // After InitSound, with the messages it sent forgotten.
    void initialised(bool recording)
    {
        performer->InitSound();
        if (recording)
            performer->PerformerFlags |= TVidize::kRecording;
        forget();
    }

    platform::CaptureLog* log = nullptr;
    std::unique_ptr<MidiGateway> gateway;
    std::unique_ptr<TVidize> performer;
    std::vector<NotedPause> pauses;
};

// The kinds and values of the recording, in order.
inline std::vector<std::pair<std::int32_t, std::int32_t>> kindsAndValues(const TVidize& performer)
{
    std::vector<std::pair<std::int32_t, std::int32_t>> all;
    for (const RecordEntry& e : performer.Entries)
        all.emplace_back(e.kind, e.value);
    return all;
}
