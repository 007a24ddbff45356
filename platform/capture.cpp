#include "platform/capture.h"
#include "platform/capturebackend.h"

#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/shortmsg.h"

#include <string>

namespace platform {

std::vector<CapturedMessage> CaptureLog::messages() const
{
    std::lock_guard lock(mutex_);
    return {messages_.begin(), messages_.end()};
}

std::size_t CaptureLog::size() const
{
    std::lock_guard lock(mutex_);
    return messages_.size();
}

bool CaptureLog::waitForSize(std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return grown_.wait_for(lock, timeout, [&] { return messages_.size() >= count; });
}

void CaptureLog::clear()
{
    std::lock_guard lock(mutex_);
    messages_.clear();
}

int CaptureLog::opens() const
{
    std::lock_guard lock(mutex_);
    return opens_;
}

int CaptureLog::closes() const
{
    std::lock_guard lock(mutex_);
    return closes_;
}

void CaptureLog::setOpenResult(MmResult status)
{
    std::lock_guard lock(mutex_);
    openResult_ = status;
}

void CaptureLog::setCloseResult(MmResult status)
{
    std::lock_guard lock(mutex_);
    closeResult_ = status;
}

void CaptureLog::setLongMessageResult(MmResult status)
{
    std::lock_guard lock(mutex_);
    longResult_ = status;
}

int CaptureLog::deviceCount() const
{
    std::lock_guard lock(mutex_);
    return deviceCount_;
}

void CaptureLog::reset(int deviceCount)
{
    std::lock_guard lock(mutex_);
    messages_.clear();
    deviceCount_ = deviceCount < 0 ? 0 : deviceCount;
    opens_ = closes_ = 0;
    openResult_ = closeResult_ = longResult_ = MmOk;
}

MmResult CaptureLog::noteOpen()
{
    std::lock_guard lock(mutex_);
    if (openResult_ == MmOk)
        ++opens_;
    return openResult_;
}

MmResult CaptureLog::noteClose()
{
    std::lock_guard lock(mutex_);
    if (closeResult_ == MmOk)
        ++closes_;
    return closeResult_;
}

MmResult CaptureLog::record(CapturedMessage message)
{
    {
        std::lock_guard lock(mutex_);
        if (message.isLong && longResult_ != MmOk)
            return longResult_;
        messages_.push_back(std::move(message));
    }
    grown_.notify_all();
    return MmOk;
}

namespace {

class CapturePort : public MidiPort {
public:
    explicit CapturePort(int device) : device_(device) {}

    MmResult sendShort(std::uint32_t packed) override
    {
        CapturedMessage message;
        message.micros = nowMicros();
        message.device = device_;
        message.packed = packed;
        const ShortMessage wire = unpackShortMessage(packed);
        message.bytes.assign(wire.bytes.begin(), wire.bytes.begin() + std::ptrdiff_t(wire.length));
        return captureLog().record(std::move(message));
    }

    MmResult sendLong(std::span<const std::uint8_t> bytes) override
    {
        CapturedMessage message;
        message.micros = nowMicros();
        message.device = device_;
        message.isLong = true;
        message.bytes.assign(bytes.begin(), bytes.end());
        return captureLog().record(std::move(message));
    }

    MmResult close() override { return captureLog().noteClose(); }

private:
    int device_;
};

class CaptureBackend : public MidiBackend {
public:
    std::vector<DeviceInfo> listDevices() override
    {
        std::vector<DeviceInfo> devices;
        const int count = captureLog().deviceCount();
        for (int i = 0; i < count; ++i)
            devices.push_back({"Capture " + std::to_string(i + 1), MidiTechnology::MidiPort, std::to_string(i)});
        return devices;
    }

    MmResult open(const DeviceInfo& device, std::unique_ptr<MidiPort>& port) override
    {
        if (const MmResult status = captureLog().noteOpen(); status != MmOk)
            return status;
        port = std::make_unique<CapturePort>(std::stoi(device.key));
        return MmOk;
    }
};

}  // namespace

CaptureLog& captureLog()
{
    static CaptureLog log;
    return log;
}

CaptureLog& installCaptureBackend(int deviceCount)
{
    CaptureLog& log = captureLog();
    log.reset(deviceCount);
    selectMidiBackends({"capture"});
    return log;
}

void removeCaptureBackend()
{
    selectDefaultMidiBackends();
}

std::unique_ptr<MidiBackend> makeCaptureBackend(const OutputOptions&)
{
    return std::make_unique<CaptureBackend>();
}

}  // namespace platform
