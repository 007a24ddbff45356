#include "tools/savesignals.h"

#include <signal.h>

#include "mididata/safesave.h"

namespace {

void onSignal(int signal)
{
    removeUnfinishedSaves();
    ::signal(signal, SIG_DFL);
    raise(signal);
}

}  // namespace

void removeSavesOnSignal()
{
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        sigaction(signal, &action, nullptr);
}
