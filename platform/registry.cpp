#include "platform/registry.h"

#include "platform/alsabackend.h"
#include "platform/capturebackend.h"
#include "platform/jackbackend.h"
#include "platform/synthbackend.h"

#include <algorithm>
#include <mutex>

namespace platform {

namespace {

const MidiBackendEntry kBackends[] = {
    {"synth", "Built-in synth", &makeSynthBackend},
    {"alsa", "ALSA sequencer", &makeAlsaBackend},
    {"jack", "JACK MIDI", &makeJackBackend},
    {"capture", "Capture", &makeCaptureBackend},
};

constexpr std::string_view kDefaultSelection[] = {"synth", "alsa", "jack"};

const MidiBackendEntry* findEntry(std::string_view id)
{
    for (const MidiBackendEntry& entry : kBackends) {
        if (entry.id == id)
            return &entry;
    }
    return nullptr;
}

struct Selected {
    std::string_view id;
    // Shared so that an open in progress keeps its backend through a reselection.
    std::shared_ptr<MidiBackend> backend;
};

struct Listed {
    std::shared_ptr<MidiBackend> backend;
    DeviceInfo info;
};

class Registry {
public:
    Registry() { selectLocked(kDefaultSelection, {}); }

    bool select(std::span<const std::string_view> ids, const OutputOptions& options)
    {
        std::lock_guard lock(mutex_);
        return selectLocked(ids, options);
    }

    std::vector<std::string> selectedIds()
    {
        std::lock_guard lock(mutex_);
        std::vector<std::string> ids;
        for (const Selected& s : selected_)
            ids.emplace_back(s.id);
        return ids;
    }

    std::uint32_t refresh()
    {
        std::lock_guard lock(mutex_);
        return refreshLocked();
    }

    MmResult caps(int deviceId, MidiOutCaps& caps)
    {
        std::lock_guard lock(mutex_);
        const Listed* device = findLocked(deviceId);
        if (!device)
            return MidiBadDeviceId;
        if (deviceId == MidiMapper) {
            caps.productName = "Default route (" + device->info.productName + ")";
            caps.technology = MidiTechnology::Mapper;
        } else {
            caps.productName = device->info.productName;
            caps.technology = device->info.technology;
        }
        return MmOk;
    }

    MmResult open(int deviceId, std::unique_ptr<MidiPort>& port)
    {
        Listed device;
        {
            std::lock_guard lock(mutex_);
            const Listed* found = findLocked(deviceId);
            if (!found)
                return MidiBadDeviceId;
            device = *found;
        }
        // Opening may take a while (the synth loads its SoundFont); the list stays usable.
        return device.backend->open(device.info, port);
    }

private:
    bool selectLocked(std::span<const std::string_view> ids, const OutputOptions& options)
    {
        std::vector<Selected> chosen;
        for (std::string_view id : ids) {
            const MidiBackendEntry* entry = findEntry(id);
            if (!entry)
                return false;
            chosen.push_back({entry->id, entry->factory(options)});
        }
        selected_ = std::move(chosen);
        devices_.clear();
        listed_ = false;
        return true;
    }

    std::uint32_t refreshLocked()
    {
        devices_.clear();
        for (const Selected& s : selected_) {
            for (DeviceInfo& info : s.backend->listDevices())
                devices_.push_back({s.backend, std::move(info)});
        }
        listed_ = true;
        return std::uint32_t(devices_.size());
    }

    const Listed* findLocked(int deviceId)
    {
        if (!listed_)
            refreshLocked();
        // The default route is the first listed device, by the order of the list.
        const std::size_t index = deviceId == MidiMapper ? 0 : std::size_t(deviceId);
        if (deviceId < MidiMapper || index >= devices_.size())
            return nullptr;
        return &devices_[index];
    }

    std::mutex mutex_;
    std::vector<Selected> selected_;
    std::vector<Listed> devices_;
    bool listed_ = false;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

}  // namespace

std::span<const MidiBackendEntry> midiBackendTable()
{
    return kBackends;
}

bool selectMidiBackends(std::initializer_list<std::string_view> ids, const OutputOptions& options)
{
    return registry().select(std::span<const std::string_view>(ids.begin(), ids.size()), options);
}

void selectDefaultMidiBackends(const OutputOptions& options)
{
    registry().select(kDefaultSelection, options);
}

std::vector<std::string> selectedMidiBackends()
{
    return registry().selectedIds();
}

std::uint32_t refreshMidiDevices()
{
    return registry().refresh();
}

MmResult listedDeviceCaps(int deviceId, MidiOutCaps& caps)
{
    return registry().caps(deviceId, caps);
}

MmResult openListedDevice(int deviceId, std::unique_ptr<MidiPort>& port)
{
    return registry().open(deviceId, port);
}

}  // namespace platform
