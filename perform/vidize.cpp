#include "perform/vidize.h"

#include <new>
#include <utility>

#include "mididata/messagesink.h"
#include "midiout/midigateway.h"
#include "midispec/midivocabulary.h"

namespace {

// The tone module needs a moment after these messages before the next one.
constexpr std::uint32_t kControlPause = 2;
constexpr std::uint32_t kSystemOnPause = 50;
// What "reset all controllers" leaves on the tone module.
constexpr std::uint8_t kFullExpression = 127;

}  // namespace

TVidize::TVidize(MidiGateway* gateway, PauseFunction pause, ClockFunction clock)
    : gateway_(gateway),
      pause_(pause ? std::move(pause) : PauseFunction(platform::Sleep)),
      clock_(clock ? std::move(clock) : ClockFunction(platform::timeGetTime))
{}

TVidize::~TVidize() = default;

void TVidize::InitSound()
{
    Channel = 0;
    ProgramNo = 78;
    BankMSB = 0;
    BankLSB = 0;
    ChannelVolume = 100;
    Note = 69;
    Velocity = 120;
    PitchBendRange = 12;
    ModulationDepth = 0;
    ReverbLevel = 40;
    ChorusLevel = 0;
    ExpressionLevel = 127;
    PitchBend = midi::kBendCentre;
    PerformerFlags = 0;

    // A failing send is reported by the gateway itself; the rest goes on.
    if (gateway_ && Song.gmSystemOn)
        gateway_->SendSysEx(*Song.gmSystemOn);
    pause_(kSystemOnPause);
    SetProgram(0, 0, ProgramNo);
    SetPitchBendRange(PitchBendRange);
}

void TVidize::NoteOn()
{
    if (PerformerFlags & kNoteSounding)
        return;
    PerformerFlags |= kNoteSounding;
    if (gateway_)
        gateway_->SendNoteOn(Channel, Note, Velocity);
    record(RecordKind::NoteOn, 0);
}

void TVidize::NoteOff()
{
    if (!(PerformerFlags & kNoteSounding))
        return;
    if (gateway_)
        gateway_->SendNoteOn(Channel, Note, 0);
    PerformerFlags &= ~kNoteSounding;
    record(RecordKind::NoteOff, 0);
}

void TVidize::SetProgram(std::int32_t bankMsb, std::int32_t bankLsb, std::int32_t program)
{
    if (gateway_)
        gateway_->SendProgram(Channel, bankMsb, bankLsb, program);
    BankMSB = std::uint8_t(bankMsb);
    BankLSB = std::uint8_t(bankLsb);
    ProgramNo = std::uint8_t(program);
    record(RecordKind::Program, programEntryValue(ProgramNo, BankLSB, BankMSB));
}

void TVidize::SetPitchBendRange(std::int32_t semitones)
{
    // Registered parameter 0 is the bend range. Only whole semitones are set:
    // the cents (data-entry LSB) stay as they were and the parameter stays selected.
    sendControl(midi::kRpnMsb, 0);
    pause_(kControlPause);
    sendControl(midi::kRpnLsb, 0);
    pause_(kControlPause);
    sendControl(midi::kDataEntryMsb, semitones);
    pause_(kControlPause);
    PitchBendRange = std::uint8_t(semitones);
    record(RecordKind::BendRange, PitchBendRange);
}

void TVidize::SetPitchBend(std::int32_t value)
{
    if (value == PitchBend)
        return;
    PitchBend = value;
    if (gateway_)
        gateway_->SendPitchBend(Channel, value);
    pause_(kControlPause);
    record(RecordKind::PitchBend, PitchBend);
}

void TVidize::SetExpression(std::int32_t value)
{
    if (value == ExpressionLevel)
        return;
    ExpressionLevel = std::uint8_t(value);
    sendControl(midi::kExpression, ExpressionLevel);
    pause_(kControlPause);
    record(RecordKind::Expression, ExpressionLevel);
}

void TVidize::SetVelocity(std::int32_t value)
{
    Velocity = std::uint8_t(value);
    record(RecordKind::Velocity, Velocity);
}

void TVidize::SetChannelVolume(std::int32_t value)
{
    ChannelVolume = std::uint8_t(value);
    sendControl(midi::kChannelVolume, value);
    pause_(kControlPause);
    record(RecordKind::ChannelVolume, ChannelVolume);
}

void TVidize::SetModulation(std::int32_t value)
{
    sendControl(midi::kModulation, value);
    ModulationDepth = std::uint8_t(value);
    record(RecordKind::Modulation, ModulationDepth);
}

void TVidize::SetReverb(std::int32_t value)
{
    ReverbLevel = std::uint8_t(value);
    sendControl(midi::kReverbSend, value);
    record(RecordKind::Reverb, ReverbLevel);
}

void TVidize::SetChorus(std::int32_t value)
{
    ChorusLevel = std::uint8_t(value);
    sendControl(midi::kChorusSend, value);
    record(RecordKind::Chorus, ChorusLevel);
}

void TVidize::SetNote(std::int32_t note)
{
    // NoteOff plays the current Note, so a note sounding on the old number
    // would otherwise never end. The next pointer movement starts the new one.
    const std::uint8_t before = Note;
    if (std::uint8_t(note) == before)
        return;
    NoteOff();
    Note = std::uint8_t(note);
    record(RecordKind::CentreNote, centreNoteEntryValue(before, Note));
}

void TVidize::Panic()
{
    NoteOff();
    if (gateway_)
        gateway_->SoundOffAll();
    PitchBend = midi::kBendCentre;
    record(RecordKind::PitchBend, PitchBend);
    ExpressionLevel = kFullExpression;
    record(RecordKind::Expression, ExpressionLevel);
    SetModulation(ModulationDepth);
}

void TVidize::SetChannel(std::int32_t channel)
{
    if (channel < 0 || channel >= 16)
        return;
    Channel = std::uint8_t(channel);
    SendAll();
}

void TVidize::SendAll()
{
    // A bank left out (-1) is stored as its low byte; it stays left out.
    auto bank = [](std::uint8_t stored) { return stored == kBankLeftOut ? -1 : std::int32_t(stored); };
    SetProgram(bank(BankMSB), bank(BankLSB), ProgramNo);
    SetPitchBendRange(PitchBendRange);
    SetVelocity(Velocity);
    SetChannelVolume(ChannelVolume);
    SetModulation(ModulationDepth);
    SetReverb(ReverbLevel);
    SetChorus(ChorusLevel);
}

void TVidize::Resync()
{
    SendAll();
    if (gateway_)
        gateway_->SendPitchBend(Channel, PitchBend);
    pause_(kControlPause);
    sendControl(midi::kExpression, ExpressionLevel);
    pause_(kControlPause);
}

bool TVidize::AppendEntry(std::int32_t kind, std::int32_t value)
{
    NowTime = clock_();
    if (Entries.size() >= entryLimit_) {
        stopFullRecording();
        return false;
    }
    try {
        // Unsigned arithmetic gives the elapsed time across a wrap of the clock too.
        Entries.push_back(RecordEntry{NowTime - LastTime, kind, value});
    } catch (const std::bad_alloc&) {
        stopFullRecording();
        return false;
    }
    CurrentEntry = &Entries.back();
    LastTime = NowTime;
    return true;
}

void TVidize::sendControl(int controller, int value)
{
    if (gateway_)
        gateway_->SendControl(Channel, controller, value);
}

void TVidize::record(std::int32_t kind, std::int32_t value)
{
    if (PerformerFlags & kRecording)
        AppendEntry(kind, value);
}

void TVidize::stopFullRecording()
{
    PerformerFlags &= ~kRecording;
    try {
        reportMessage("Not enough memory to go on recording. Recording stopped; what was recorded is kept.");
    } catch (const std::bad_alloc&) {
        // With no memory left even for the message, stopping is what counts.
    }
}
