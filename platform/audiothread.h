#pragma once
// The priority every thread that renders audio runs at, ours and FluidSynth's
// drivers alike, so that a busy machine never starves the sound.

namespace platform {

// The real-time priority of audio threads (FluidSynth's default for its drivers).
constexpr int kAudioThreadPriority = 60;

// Makes the calling thread an audio thread: real-time scheduling at
// kAudioThreadPriority where the system allows it (a refusal is no matter:
// the thread runs on at normal priority), and the finest timer slack.
void makeAudioThread();

}  // namespace platform
