#include "platform/midiin.h"

#include "platform/midiinports.h"

#include <string_view>
#include <utility>

namespace platform {

namespace {

constexpr std::string_view kAlsaPrefix = "alsa:";
constexpr std::string_view kJackPrefix = "jack:";

}  // namespace

MidiIn::MidiIn(Options options) : options_(std::move(options)) {}

MidiIn::~MidiIn()
{
    close();
}

bool MidiIn::open()
{
    std::string alsaProblem;
    std::string jackProblem;
    if (options_.useAlsa && !alsa_)
        alsa_ = openAlsaInput(options_.sequencerDevice, options_.wake, alsaProblem);
    if (options_.useJack && !jack_)
        jack_ = openJackInput(options_.wake, jackProblem);
    if (!alsa_ && !jack_)
        problem_ = "No MIDI input: " + (alsaProblem.empty() ? jackProblem : alsaProblem + "; " + jackProblem) + ".";
    else if (problem_.starts_with("No MIDI input"))
        problem_.clear();
    return alsa_ || jack_;
}

void MidiIn::close()
{
    if (!connected_.empty()) {
        if (MidiInPort* port = portFor(connected_); port != nullptr && !port->gone())
            port->disconnect(connected_);
        connected_.clear();
    }
    alsa_.reset();
    jack_.reset();
}

bool MidiIn::alsaOpen() const
{
    return alsa_ != nullptr;
}

bool MidiIn::jackOpen() const
{
    return jack_ != nullptr;
}

std::string MidiIn::jackPortName() const
{
    return jack_ ? jack_->name() : std::string();
}

MidiInPort* MidiIn::portFor(const std::string& key) const
{
    if (key.starts_with(kAlsaPrefix))
        return alsa_.get();
    if (key.starts_with(kJackPrefix))
        return jack_.get();
    return nullptr;
}

std::vector<MidiSource> MidiIn::sources()
{
    std::vector<MidiSource> all;
    for (MidiInPort* port : {alsa_.get(), jack_.get()}) {
        if (port == nullptr || port->gone())
            continue;
        std::vector<MidiSource> some = port->sources();
        all.insert(all.end(), some.begin(), some.end());
    }
    return all;
}

bool MidiIn::connect(const std::string& key)
{
    if (!connected_.empty()) {
        if (MidiInPort* old = portFor(connected_); old != nullptr && !old->gone())
            old->disconnect(connected_);
        connected_.clear();
    }
    problem_.clear();
    if (key.empty())
        return true;
    MidiInPort* port = portFor(key);
    if (port == nullptr || port->gone()) {
        problem_ = "The MIDI source " + key + " cannot be reached: " +
                   (key.starts_with(kJackPrefix) ? "no JACK server runs." : "there is no ALSA sequencer.");
        return false;
    }
    problem_ = port->connect(key);
    if (!problem_.empty())
        return false;
    connected_ = key;
    return true;
}

std::string MidiIn::status() const
{
    if (!problem_.empty())
        return problem_;
    std::string ports;
    for (const MidiInPort* port : {alsa_.get(), jack_.get()}) {
        if (port != nullptr)
            ports += (ports.empty() ? "" : ", ") + port->name();
    }
    if (connected_.empty())
        return "MIDI input " + ports + ": no source connected.";
    return "MIDI input " + ports + ": receiving from " + connected_ + ".";
}

std::size_t MidiIn::drain(const Receiver& receive)
{
    std::size_t count = 0;
    for (std::unique_ptr<MidiInPort>* port : {&alsa_, &jack_}) {
        if (!*port)
            continue;
        MidiInMessage message;
        while ((*port)->ring.pop(message)) {
            receive(message.bytes.data(), message.size);
            ++count;
        }
        if ((*port)->gone()) {
            notice_ = std::string((*port)->server()) + " went away: the MIDI input " + (*port)->name() + " is closed.";
            notice_[0] = 'T';
            if (portFor(connected_) == port->get())
                connected_.clear();
            droppedBefore_ += (*port)->ring.dropped();
            port->reset();
            problem_ = notice_;
        }
    }
    return count;
}

std::uint64_t MidiIn::dropped() const
{
    std::uint64_t count = droppedBefore_;
    for (const MidiInPort* port : {alsa_.get(), jack_.get()}) {
        if (port != nullptr)
            count += port->ring.dropped();
    }
    return count;
}

std::string MidiIn::takeNotice()
{
    return std::exchange(notice_, std::string());
}

}  // namespace platform
