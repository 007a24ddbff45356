#pragma once
// The guide notes: while a practice run plays, your part's current note is
// drawn across the surface at its pitch line, with a mark of how much of it
// has passed, and the next note fainter. They follow the song through the
// practice clock on a timer of the window thread, so they never touch the
// player's thread, and vanish when the song stops. A transparent layer over
// the grid; the pointer passes through it.
#include <QWidget>

#include <cstdint>
#include <vector>

#include "midiout/practiceclock.h"
#include "perform/playedpitch.h"

class QTimer;
class Session;
class midiTrack;

class GuideNotes : public QWidget {
    Q_OBJECT

public:
    // Drawn over layer (the surface's grid layer) on the session's pitch axis.
    GuideNotes(QWidget& layer, const Session& session);

    void start(const midiTrack& part, const PracticeClock& clock, std::int64_t songStartMicros);
    void stop();

    struct Shown {
        int current = -1;  // note number, -1 for none
        int next = -1;
        double passed = 0;  // the share of the current note that has passed
    };
    // What the layer shows at micros after the run's start.
    Shown shownAt(std::int64_t micros) const;
    const Shown& shown() const { return shown_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget& layer_;
    const Session& session_;
    QTimer* timer_;
    std::vector<NoteSpan> notes_;
    PracticeClock clock_;
    std::int64_t songStartMicros_ = 0;
    Shown shown_;

    void tick();
    // The bar of a note across the surface; empty when the note lies off the surface.
    QRect barOf(int note) const;
};
