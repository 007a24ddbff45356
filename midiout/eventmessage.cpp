#include "midiout/eventmessage.h"

#include "mididata/event.h"
#include "platform/shortmsg.h"

std::optional<std::uint32_t> shortMessageOf(const anyEvent& event)
{
    using platform::packShortMessage;
    const std::uint8_t status = event.status;
    // By the status byte, as files give it; an event whose class does not fit
    // its status (only code can make one) sends nothing.
    switch (status & 0xF0) {
    case 0x80:
    case 0x90:
        if (const auto* note = dynamic_cast<const NoteOnEvent*>(&event))
            return packShortMessage(status, note->key, note->velocity);
        break;
    case 0xB0:
        if (const auto* control = dynamic_cast<const ControlChangeEvent*>(&event))
            return packShortMessage(status, control->controller, control->value);
        break;
    case 0xC0:
        if (const auto* change = dynamic_cast<const ProgramChangeEvent*>(&event))
            return packShortMessage(status, change->program);
        break;
    case 0xE0:
        if (const auto* bend = dynamic_cast<const PitchBendEvent*>(&event)) {
            const auto bytes = bend->dataBytes();
            return packShortMessage(status, bytes[0], bytes[1]);
        }
        break;
    default: break;
    }
    return std::nullopt;
}
