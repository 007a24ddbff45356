#include "platform/quietlibs.h"

#include <alsa/asoundlib.h>
#include <fluidsynth.h>

#include <cstdlib>
#include <mutex>

#include <dlfcn.h>

namespace platform {

namespace {

void dropFluidMessage(int, const char*, void*) {}

void dropAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

void dropJackMessage(const char*) {}

// JACK is only reached through FluidSynth; its functions are looked up at run
// time so that no JACK headers or direct link are needed.
void silenceJack()
{
    using SetFunction = void (*)(void (*)(const char*));
    for (const char* name : {"jack_set_error_function", "jack_set_info_function"}) {
        if (void* symbol = dlsym(RTLD_DEFAULT, name))
            reinterpret_cast<SetFunction>(symbol)(dropJackMessage);
    }
}

}  // namespace

void silenceLibraryLogs()
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level)
            fluid_set_log_function(level, dropFluidMessage, nullptr);
        snd_lib_error_set_handler(dropAlsaMessage);
        silenceJack();
        // JACK is the last resort for audio; trying it must not start a JACK
        // server that would then hold the sound card.
        setenv("JACK_NO_START_SERVER", "1", 0);
    });
}

}  // namespace platform
