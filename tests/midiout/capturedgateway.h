#pragma once
// A gateway on the capture device with the message sink recorded, for the
// gateway, profile and player tests. The sink and the song-end notice may be
// reached from the timer thread, so both are guarded.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "mididata/messagesink.h"
#include "midiout/midigateway.h"
#include "platform/capture.h"

using Bytes = std::vector<std::uint8_t>;

inline Bytes bytesOf(std::initializer_list<int> values)
{
    Bytes bytes;
    for (int v : values)
        bytes.push_back(std::uint8_t(v));
    return bytes;
}

// Messages reported through the sink, from any thread.
class SinkRecorder {
public:
    void install()
    {
        previous_ = setMessageSink([this](const std::string& text) {
            std::lock_guard lock(mutex_);
            texts_.push_back(text);
            changed_.notify_all();
        });
    }
    void restore() { setMessageSink(std::move(previous_)); }

    std::vector<std::string> texts() const
    {
        std::lock_guard lock(mutex_);
        return texts_;
    }
    bool waitFor(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(20))
    {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return texts_.size() >= count; });
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::string> texts_;
    MessageSink previous_;
};

class CapturedGateway : public ::testing::Test {
protected:
    void SetUp() override
    {
        log = &platform::installCaptureBackend(2);
        sink.install();
        gateway = std::make_unique<MidiGateway>();
    }

    void TearDown() override
    {
        gateway.reset();
        sink.restore();
        platform::removeCaptureBackend();
    }

    void openDefault()
    {
        ASSERT_EQ(gateway->OpenDevice(platform::MidiMapper), 0);
        log->clear();
    }

    // The wire bytes of every message so far.
    std::vector<Bytes> sent() const
    {
        std::vector<Bytes> all;
        for (const platform::CapturedMessage& m : log->messages())
            all.push_back(m.bytes);
        return all;
    }

    platform::CaptureLog* log = nullptr;
    SinkRecorder sink;
    std::unique_ptr<MidiGateway> gateway;
};
