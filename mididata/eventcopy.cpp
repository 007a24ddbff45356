#include "mididata/eventcopy.h"

#include <memory>

#include "mididata/bytereader.h"
#include "mididata/bytestream.h"
#include "mididata/event.h"

anyEvent* copyEventAt(const anyEvent& e, std::int32_t time)
{
    // The body goes through the file form, so every kind copies the data it writes.
    ByteStream body;
    e.writeBody(body);
    const std::uint8_t metaType = e.status == 0xFF ? static_cast<const metaEvent&>(e).metaType : 0;
    std::unique_ptr<anyEvent> copy(createEvent(time, e.status, metaType));
    ByteReader in(body.bytes().data(), body.bytes().size(), "Data may have been broken.");
    copy->readBody(in);
    if (const auto* note = dynamic_cast<const NoteOnEvent*>(&e))
        static_cast<NoteOnEvent*>(copy.get())->duration = note->duration;
    if (const auto* sysex = dynamic_cast<const sysexEvent*>(&e))
        static_cast<sysexEvent*>(copy.get())->ordinal = sysex->ordinal;
    copy->status = e.status;  // reading a velocity-0 note-on would make it a note-off
    copy->creationIndex = e.creationIndex;
    copy->measure = e.measure;
    copy->beat = e.beat;
    copy->tick = e.tick;
    return copy.release();
}
