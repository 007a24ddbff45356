#pragma once
// SIGTERM and SIGHUP (a session logging out, `kill`) close the program as
// its close button does instead of ending it on the spot. The handler only
// writes the signal's number into a pipe, the one thing a signal handler may
// safely do; the window thread reads it when its event loop next runs, also
// inside a modal box, and calls the callback there.
//
// One instance while the program runs; destroying it gives both signals back
// their default action.
#include <QObject>

#include <functional>

class QSocketNotifier;

class CloseSignals : public QObject {
public:
    explicit CloseSignals(std::function<void()> onSignal);
    ~CloseSignals() override;
    CloseSignals(const CloseSignals&) = delete;
    CloseSignals& operator=(const CloseSignals&) = delete;

private:
    std::function<void()> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
    void arrived();
};
