#pragma once
// The libraries behind the backends (FluidSynth, ALSA, JACK) print warnings
// and errors to stderr on their own. The program reports failures through
// status codes and their texts instead, so the backends call this first.
namespace platform {

void silenceLibraryLogs();

}  // namespace platform
