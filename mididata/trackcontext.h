#pragma once
// What a track asks of the song it belongs to: the song's division, the
// musical position of an event's time, and which system-exclusive messages
// are the song's own prebuilt resets. The song implements it; a track knows
// no more of its song than this, so the track sits below the song.
#include <cstdint>
#include <memory>

class anyEvent;

// Positions events whose times mostly come in order, faster than one at a time.
class EventPositioner {
public:
    virtual ~EventPositioner() = default;
    // Stores the position of the event's time in the event.
    virtual void place(anyEvent* e) = 0;
};

class TrackContext {
public:
    virtual ~TrackContext() = default;

    std::uint16_t division = 480;  // ticks per quarter note

    // Stores the position of the event's time in the event.
    virtual void setPosition(anyEvent* e) const = 0;
    // A positioner for the song's time signatures as they are now.
    virtual std::unique_ptr<EventPositioner> positioner() const = 0;
    // The song's prebuilt reset messages (GM System On, XG System On, GS
    // Reset), which a track may hold but never owns.
    virtual bool isPrebuiltReset(const anyEvent* e) const = 0;

protected:
    TrackContext() = default;
    TrackContext(const TrackContext&) = default;
    TrackContext& operator=(const TrackContext&) = default;
};
