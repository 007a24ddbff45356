#pragma once
// What the session tells the main window, brought to the window's thread.
#include <functional>
#include <memory>

#include "perform/session.h"

class QObject;

class WindowListener : public SessionListener {
public:
    // songEnded runs on the window's thread, through window's event queue;
    // stateChanged comes on the session's thread, which is the window's.
    WindowListener(QObject& window, std::function<void()> songEnded, std::function<void()> stateChanged)
        : window_(window), songEnded_(std::move(songEnded)), stateChanged_(std::move(stateChanged))
    {}

    // From the player's timer thread, where no control may be touched: the
    // window takes it up on its own thread as soon as it gets there.
    void songEnded() override;
    void stateChanged() override;

    // While held (a batch of MIDI input), changes are shown once, by showHeldState.
    void holdState() { ++held_; }
    void showHeldState();

private:
    QObject& window_;
    std::function<void()> songEnded_;
    std::function<void()> stateChanged_;
    int held_ = 0;
    bool pending_ = false;
};
