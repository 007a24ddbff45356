#include "platform/audiothread.h"

#include <pthread.h>
#include <sched.h>
#include <sys/prctl.h>

namespace platform {

void makeAudioThread()
{
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    sched_param realtime{};
    realtime.sched_priority = kAudioThreadPriority;
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &realtime);
}

}  // namespace platform
