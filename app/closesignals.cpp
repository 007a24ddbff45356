#include "app/closesignals.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace {

// The pipe the handler writes to: [0] read by the window thread, [1] written by the handler.
int signalPipe[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGHUP};

extern "C" void noteSignal(int signal)
{
    const int saved = errno;
    const char byte = char(signal);
    // A full pipe already holds a close to come; a second one adds nothing.
    (void)!write(signalPipe[1], &byte, 1);
    errno = saved;
}

void install(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals)
        sigaction(signal, &action, nullptr);
}

}  // namespace

CloseSignals::CloseSignals(std::function<void()> onSignal) : onSignal_(std::move(onSignal))
{
    if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;  // the signals keep their default action: the program ends as before
    notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &CloseSignals::arrived);
    install(noteSignal);
}

CloseSignals::~CloseSignals()
{
    if (notifier_ == nullptr)
        return;
    install(SIG_DFL);
    delete notifier_;
    close(signalPipe[0]);
    close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
}

void CloseSignals::arrived()
{
    char bytes[16];
    while (read(signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    if (onSignal_)
        onSignal_();
}
