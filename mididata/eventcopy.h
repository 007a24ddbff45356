#pragma once
// A fresh event equal to another one at another time. Events are shared by
// reference, so a list that needs an event at a different time (a song played
// with a count-in or a loop) holds a copy of its own instead of moving the
// song's event. The copy keeps the original's place in the sort order among
// events of its time (its creation index) and takes no reference.
#include <cstdint>

class anyEvent;

anyEvent* copyEventAt(const anyEvent& e, std::int32_t time);
