#include "platform/midiout.h"

#include "platform/registry.h"
#include "platform/shortmsg.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>

namespace platform {

namespace {

struct OpenDevice {
    // Serialises sends and the close, so a close waits for a send in progress.
    std::mutex mutex;
    std::unique_ptr<MidiPort> port;  // null once closed
};

// Handles are counted up and never reused, so a stale handle can never reach
// a device opened later.
class HandleTable {
public:
    ~HandleTable()
    {
        std::lock_guard lock(mutex_);
        gone_.store(true);
    }

    static bool gone() { return gone_.load(); }

    MidiOutHandle add(std::unique_ptr<MidiPort> port)
    {
        auto device = std::make_shared<OpenDevice>();
        device->port = std::move(port);
        std::lock_guard lock(mutex_);
        const auto handle = MidiOutHandle(next_++);
        devices_.emplace(std::uint64_t(handle), std::move(device));
        return handle;
    }

    std::shared_ptr<OpenDevice> find(MidiOutHandle handle)
    {
        std::lock_guard lock(mutex_);
        const auto it = devices_.find(std::uint64_t(handle));
        return it == devices_.end() ? nullptr : it->second;
    }

    void remove(MidiOutHandle handle)
    {
        std::lock_guard lock(mutex_);
        devices_.erase(std::uint64_t(handle));
    }

private:
    static constinit inline std::atomic<bool> gone_{false};
    std::mutex mutex_;
    std::unordered_map<std::uint64_t, std::shared_ptr<OpenDevice>> devices_;
    std::uint64_t next_ = 1;
};

HandleTable& handles()
{
    static HandleTable table;
    return table;
}

// The open device behind a handle with its lock taken, or nothing.
struct LockedPort {
    std::shared_ptr<OpenDevice> device;
    std::unique_lock<std::mutex> lock;
    MidiPort* port = nullptr;
};

LockedPort lockPort(MidiOutHandle handle)
{
    LockedPort locked;
    if (handle == MidiOutHandle::Null || HandleTable::gone())
        return locked;
    locked.device = handles().find(handle);
    if (!locked.device)
        return locked;
    locked.lock = std::unique_lock(locked.device->mutex);
    locked.port = locked.device->port.get();
    return locked;
}

}  // namespace

std::uint32_t midiOutGetNumDevs() noexcept
{
    try {
        return refreshMidiDevices();
    } catch (...) {
        return 0;
    }
}

MmResult midiOutGetDevCaps(int deviceId, MidiOutCaps& caps) noexcept
{
    try {
        return listedDeviceCaps(deviceId, caps);
    } catch (...) {
        return MidiBadDeviceId;
    }
}

MmResult midiOutOpen(MidiOutHandle& handle, int deviceId) noexcept
{
    handle = MidiOutHandle::Null;
    if (HandleTable::gone())
        return MidiBadDeviceId;
    try {
        std::unique_ptr<MidiPort> port;
        const MmResult status = openListedDevice(deviceId, port);
        if (status != MmOk)
            return status;
        if (!port)
            return MidiBadDeviceId;
        handle = handles().add(std::move(port));
        return MmOk;
    } catch (...) {
        return MidiSynthFailed;
    }
}

MmResult midiOutClose(MidiOutHandle handle) noexcept
{
    try {
        LockedPort locked = lockPort(handle);
        if (!locked.port)
            return MidiInvalidHandle;
        const MmResult status = locked.port->close();
        if (status != MmOk)
            return status;
        locked.device->port.reset();
        locked.lock.unlock();
        handles().remove(handle);
        return MmOk;
    } catch (...) {
        return MidiInvalidHandle;
    }
}

namespace {

// The one way a message reaches a port: a song's event when dueMicros is
// given, a live message otherwise.
MmResult sendShortTo(MidiOutHandle handle, std::uint32_t message, std::optional<std::int64_t> dueMicros) noexcept
{
    try {
        LockedPort locked = lockPort(handle);
        if (!locked.port)
            return MidiInvalidHandle;
        if (unpackShortMessage(message).length == 0)
            return MidiInvalidParameter;
        // Above every backend, so that none of them can pass a data byte over 127 on.
        const std::uint32_t safe = clampDataBytes(message);
        return dueMicros ? locked.port->sendShortAt(safe, *dueMicros) : locked.port->sendShort(safe);
    } catch (...) {
        return MidiSendFailed;
    }
}

MmResult sendLongTo(MidiOutHandle handle, std::span<const std::uint8_t> bytes,
                    std::optional<std::int64_t> dueMicros) noexcept
{
    try {
        LockedPort locked = lockPort(handle);
        if (!locked.port)
            return MidiInvalidHandle;
        if (bytes.empty())
            return MidiInvalidParameter;
        return dueMicros ? locked.port->sendLongAt(bytes, *dueMicros) : locked.port->sendLong(bytes);
    } catch (...) {
        return MidiSendFailed;
    }
}

}  // namespace

MmResult midiOutShortMsg(MidiOutHandle handle, std::uint32_t message) noexcept
{
    return sendShortTo(handle, message, std::nullopt);
}

MmResult midiOutLongMsg(MidiOutHandle handle, std::span<const std::uint8_t> bytes) noexcept
{
    return sendLongTo(handle, bytes, std::nullopt);
}

MmResult midiOutShortMsgAt(MidiOutHandle handle, std::uint32_t message, std::int64_t dueMicros) noexcept
{
    return sendShortTo(handle, message, dueMicros);
}

MmResult midiOutLongMsgAt(MidiOutHandle handle, std::span<const std::uint8_t> bytes, std::int64_t dueMicros) noexcept
{
    return sendLongTo(handle, bytes, dueMicros);
}

MmResult midiOutSongStart(MidiOutHandle handle, std::int64_t startMicros) noexcept
{
    try {
        LockedPort locked = lockPort(handle);
        if (!locked.port)
            return MidiInvalidHandle;
        locked.port->beginSong(startMicros);
        return MmOk;
    } catch (...) {
        return MidiSendFailed;
    }
}

MmResult midiOutSongCancel(MidiOutHandle handle) noexcept
{
    try {
        LockedPort locked = lockPort(handle);
        if (!locked.port)
            return MidiInvalidHandle;
        locked.port->cancelSong();
        return MmOk;
    } catch (...) {
        return MidiSendFailed;
    }
}

std::optional<SynthOutputStatus> midiOutSynthStatus(MidiOutHandle handle) noexcept
{
    try {
        LockedPort locked = lockPort(handle);
        return locked.port ? locked.port->synthStatus() : std::nullopt;
    } catch (...) {
        return std::nullopt;
    }
}

std::int64_t midiOutSongLookahead(MidiOutHandle handle) noexcept
{
    try {
        LockedPort locked = lockPort(handle);
        return locked.port ? locked.port->songLookaheadMicros() : 0;
    } catch (...) {
        return 0;
    }
}

bool midiOutSongInterrupted(MidiOutHandle handle) noexcept
{
    try {
        LockedPort locked = lockPort(handle);
        return locked.port && locked.port->songInterrupted();
    } catch (...) {
        return false;
    }
}

bool midiOutLost(MidiOutHandle handle) noexcept
{
    try {
        LockedPort locked = lockPort(handle);
        return locked.port && locked.port->lost();
    } catch (...) {
        return false;
    }
}

MmResult midiOutWaitReady(MidiOutHandle handle, int timeoutMillis) noexcept
{
    try {
        LockedPort locked = lockPort(handle);
        if (!locked.port)
            return MidiInvalidHandle;
        locked.port->waitUntilReady(timeoutMillis);
        return MmOk;
    } catch (...) {
        return MidiSendFailed;
    }
}

}  // namespace platform
