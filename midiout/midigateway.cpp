#include "midiout/midigateway.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <span>

#include "mididata/event.h"
#include "mididata/messagesink.h"
#include "midiout/devicelist.h"
#include "midiout/eventmessage.h"
#include "midiout/sequenceplayer.h"
#include "midiout/songclock.h"
#include "midispec/midivocabulary.h"
#include "platform/clock.h"
#include "platform/shortmsg.h"

namespace {

// A channel outside 0-15 would otherwise spill into the kind nibble and make
// another message (a system reset for -1); like the pitch-bend send, every
// send keeps only the channel's low four bits.
std::uint8_t channelStatus(std::uint8_t kind, int channel)
{
    return std::uint8_t(kind | (channel & 0x0F));
}

}  // namespace

MidiGateway::MidiGateway() : player_(std::make_unique<SequencePlayer>(*this)) {}

MidiGateway::~MidiGateway()
{
    StopPlayback();
    CloseDevice();
}

bool MidiGateway::Start()
{
    DeviceID = -1;
    platform::timeGetDevCaps(TimeCaps);
    platform::timeBeginPeriod(TimeCaps.periodMin);
    LoadProfile();
    return OpenDevice(DeviceID) == 0;
}

void MidiGateway::reportError(platform::MmResult status) const
{
    reportMessage(platform::midiOutGetErrorText(status));
}

int MidiGateway::SendNoteOn(int channel, int note, int velocity)
{
    return platform::midiOutShortMsg(MidiOut, platform::packShortMessage(channelStatus(midi::kNoteOn, channel),
                                                                         std::uint8_t(note), std::uint8_t(velocity)));
}

int MidiGateway::SendShort(std::uint8_t status, std::uint8_t data1, std::uint8_t data2)
{
    return platform::midiOutShortMsg(
        MidiOut, platform::packShortMessage(status, std::uint8_t(data1 & 0x7F), std::uint8_t(data2 & 0x7F)));
}

int MidiGateway::SendControl(int channel, int controller, int value)
{
    return platform::midiOutShortMsg(MidiOut,
                                     platform::packShortMessage(channelStatus(midi::kControlChange, channel),
                                                                std::uint8_t(controller), std::uint8_t(value)));
}

int MidiGateway::SendPitchBend(int channel, int value)
{
    return platform::midiOutShortMsg(MidiOut, platform::packShortMessage(channelStatus(midi::kPitchBend, channel),
                                                                         std::uint8_t(value & 0x7F),
                                                                         std::uint8_t((value >> 7) & 0x7F)));
}

int MidiGateway::SendProgram(int channel, int bankMsb, int bankLsb, int program)
{
    if (bankMsb != -1)
        SendControl(channel, midi::kBankSelectMsb, bankMsb);
    if (bankLsb != -1)
        SendControl(channel, midi::kBankSelectLsb, bankLsb);
    return platform::midiOutShortMsg(
        MidiOut, platform::packShortMessage(channelStatus(midi::kProgramChange, channel), std::uint8_t(program)));
}

void MidiGateway::SendSysEx(const sysexEvent& event)
{
    sendSysEx(event, std::nullopt);
}

void MidiGateway::sendSysEx(const sysexEvent& event, std::optional<std::int64_t> dueMicros)
{
    platform::MmResult status = platform::MmOk;
    {
        std::lock_guard lock(sysexMutex_);
        SysExBuffer.clear();
        SysExBuffer.push_back(event.status);
        SysExBuffer.insert(SysExBuffer.end(), event.bytes.begin(), event.bytes.end());
        const std::span<const std::uint8_t> bytes(SysExBuffer);
        status = dueMicros ? platform::midiOutLongMsgAt(MidiOut, bytes, *dueMicros)
                           : platform::midiOutLongMsg(MidiOut, bytes);
    }
    if (status != platform::MmOk)
        reportError(status);
}

void MidiGateway::SendEvent(const anyEvent& event)
{
    sendEvent(event, std::nullopt);
}

void MidiGateway::SendSongEvent(const anyEvent& event, std::int64_t dueMicros)
{
    sendEvent(event, dueMicros);
}

void MidiGateway::BeginSong(std::int64_t startMicros)
{
    platform::midiOutSongStart(MidiOut, startMicros);
}

void MidiGateway::CancelSong()
{
    platform::midiOutSongCancel(MidiOut);
}

std::int64_t MidiGateway::songLookaheadMicros() const
{
    return platform::midiOutSongLookahead(MidiOut);
}

bool MidiGateway::songInterrupted() const
{
    return platform::midiOutSongInterrupted(MidiOut);
}

void MidiGateway::WaitUntilReady()
{
    constexpr int kReadyTimeoutMillis = 10000;
    platform::midiOutWaitReady(MidiOut, kReadyTimeoutMillis);
}

void MidiGateway::sendEvent(const anyEvent& event, std::optional<std::int64_t> dueMicros)
{
    if (event.status == 0xF0 || event.status == 0xF7) {
        if (const auto* sysex = dynamic_cast<const sysexEvent*>(&event))
            sendSysEx(*sysex, dueMicros);
    } else if (const std::int32_t tempo = tempoSetBy(event)) {
        player_->applyTempoEvent(tempo);
    } else if (const std::optional<std::uint32_t> message = shortMessageOf(event)) {
        if (dueMicros)
            platform::midiOutShortMsgAt(MidiOut, *message, *dueMicros);
        else
            platform::midiOutShortMsg(MidiOut, *message);
    }
}

void MidiGateway::songEnded()
{
    if (OnSongEnd)
        OnSongEnd();
}

void MidiGateway::SoundOffAll()
{
    for (int channel = 0; channel < 16; ++channel) {
        SendControl(channel, midi::kAllSoundOff, 0);
        SendControl(channel, midi::kResetAllControllers, 0);
    }
}

int MidiGateway::OpenDevice(int id)
{
    if (CloseDevice() != 0)
        return -1;
    platform::MidiOutHandle handle = platform::MidiOutHandle::Null;
    const platform::MmResult status = platform::midiOutOpen(handle, id);
    if (status != platform::MmOk) {
        reportError(status);
        return int(status);
    }
    MidiOut = handle;
    DeviceID = id;
    return 0;
}

bool MidiGateway::isOpen() const
{
    return MidiOut != platform::MidiOutHandle::Null && !platform::midiOutLost(MidiOut);
}

int MidiGateway::CloseDevice()
{
    if (MidiOut == platform::MidiOutHandle::Null)
        return 0;
    // The ticks send through MidiOut, which is about to change; a song playing
    // on this device ends here, silenced, rather than hang its notes.
    if (IsPlaying())
        StopPlayback();
    const platform::MmResult status = platform::midiOutClose(MidiOut);
    if (status != platform::MmOk) {
        reportError(status);
        return -1;
    }
    MidiOut = platform::MidiOutHandle::Null;
    return 0;
}

void MidiGateway::SetFolder(const std::string& folder)
{
    Folder = folder;
}

std::vector<std::string> MidiGateway::DeviceLines() const
{
    std::vector<std::string> lines;
    const int count = int(std::min<std::uint32_t>(platform::midiOutGetNumDevs(), INT32_MAX));
    for (int id = platform::MidiMapper; id < count; ++id) {
        platform::MidiOutCaps caps;
        platform::midiOutGetDevCaps(id, caps);
        lines.push_back(deviceLine(caps));
    }
    return lines;
}

int MidiGateway::SetTempo(int microsecondsPerQuarter)
{
    return player_->SetTempo(microsecondsPerQuarter);
}

void MidiGateway::PlayTrack(midiTrack* track)
{
    player_->PlayTrack(track);
}

void MidiGateway::StopPlayback()
{
    player_->StopPlayback();
}

bool MidiGateway::IsPlaying() const
{
    return player_->IsPlaying();
}

SequencePlayer& MidiGateway::Player()
{
    return *player_;
}

void MidiGateway::SoundTest()
{
    if (!isOpen())
        return;
    SendProgram(0, 0, 0, 0);
    for (int note : {30, 29, 31, 33, 34, 36})
        SendNoteOn(0, note, 100);
    platform::Sleep(2000);
    for (int note : {29, 30, 31, 33, 34, 36})
        SendNoteOn(0, note, 0);
}
