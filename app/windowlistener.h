#pragma once
// What the session tells the main window, brought to the window's thread.
#include <memory>

#include "perform/session.h"

class TForm1;

class WindowListener : public SessionListener {
public:
    explicit WindowListener(TForm1& form) : form_(form) {}

    // From the player's timer thread, where no control may be touched: the
    // window takes it up on its own thread as soon as it gets there.
    void songEnded() override;
    void stateChanged() override;

    // While held (a batch of MIDI input), changes are shown once, by showHeldState.
    void holdState() { ++held_; }
    void showHeldState();

private:
    TForm1& form_;
    int held_ = 0;
    bool pending_ = false;
};

std::unique_ptr<WindowListener> makeWindowListener(TForm1& form);
