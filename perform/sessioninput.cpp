// What reaches the session besides the mouse: a pen's pressure and tilt, and
// the messages of a MIDI controller.
#include <algorithm>

#include "midiout/midigateway.h"
#include "midispec/midivocabulary.h"
#include "perform/session.h"
#include "perform/surfacemapping.h"
#include "perform/vidize.h"

namespace {

// The performer keeps a bank left out of the program change as its low byte.
int sentBank(std::uint8_t stored)
{
    return stored == 0xFF ? -1 : stored;
}

}  // namespace

void Session::setInputChoices(const InputChoices& choices)
{
    input_ = choices;
    if (input_.loudnessController != midi::kExpression && input_.loudnessController != midi::kBreath &&
        input_.loudnessController != midi::kFoot)
        input_.loudnessController = InputChoices::kNoController;
}

// Pressure follows the loudness axis's own curve from its edge to its middle,
// so a light touch is as soft as the edge and a firm one as loud as the middle.
std::int32_t Session::loudnessOf(const PointerSample& sample, std::int32_t axisLoudness) const
{
    if (input_.loudnessController != InputChoices::kNoController)
        return controllerLoudness_;
    if (sample.source == PointerSource::Pen && input_.loudnessFromPen) {
        constexpr std::int32_t kCurveLength = 1000;
        const double pressure = std::clamp(sample.pressure, 0.0, 1.0);
        return surface::Loudness(std::int32_t(pressure * kCurveLength / 2), kCurveLength);
    }
    return axisLoudness;
}

void Session::sustain(bool held)
{
    sustained_ = held;
    if (!held && leftWhileSustained_) {
        leftWhileSustained_ = false;
        endNote();
    }
}

void Session::midiIn(const std::uint8_t* bytes, std::size_t size)
{
    if (size == 0 || midi::isDataByte(bytes[0]))
        return;  // the input hands over whole messages, each with its status
    const std::uint8_t status = bytes[0];
    const std::uint8_t kind = status & 0xF0;
    const std::uint8_t data1 = size > 1 ? bytes[1] & 0x7F : 0;
    const std::uint8_t data2 = size > 2 ? bytes[2] & 0x7F : 0;
    if (kind == midi::kNoteOn && size >= 3 && data2 > 0) {
        setCentreNote(data1);
        return;
    }
    if (kind == midi::kNoteOn || kind == midi::kNoteOff)
        return;  // a key let go leaves the centre where it is
    if (kind == midi::kControlChange && size >= 3) {
        if (data1 == midi::kModulation) {
            performer_->SetModulation(data2);
            changed();
            return;
        }
        if (data1 == input_.loudnessController) {
            controllerLoudness_ = data2;
            if (performer_->PerformerFlags & TVidize::kNoteSounding)
                performer_->SetExpression(data2);
            return;
        }
        if (data1 == midi::kSustain) {
            sustain(data2 >= 64);
            return;
        }
    }
    if (kind == midi::kProgramChange && size >= 2) {
        performer_->SetProgram(sentBank(performer_->BankMSB), sentBank(performer_->BankLSB), data1);
        changed();
        return;
    }
    if (input_.midiThru && status >= 0x80 && status < 0xF0)
        gateway_->SendShort(status, data1, data2);
}
