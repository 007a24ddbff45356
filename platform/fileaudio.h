#pragma once
// A sound card that writes to a file, for machines without one (tests,
// benchmarks): it asks for a period of audio at a time on the steady clock's
// beat, as a card's interrupt would, and writes the audio into a WAV file
// (OutputOptions::fileAudioOutput). It is the synth backend's audio
// driver "file"; FluidSynth's own file driver cannot take the synth backend's
// audio callback, and its timer, which counts whole milliseconds, would not
// keep the audio's clock at the wall clock's rate.
#include "platform/softsynth.h"
#include "platform/softsynthfeed.h"

#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include <fluidsynth.h>

namespace platform {

class FileAudio : private SoftSynthFeed::BlockRenderer {
public:
    // Starts writing into file at once; null when the file cannot be
    // created. The synth and the feed must outlive the returned object;
    // synthReady tells whether the synth may be rendered yet (its SoundFont
    // is in).
    static std::unique_ptr<FileAudio> start(SoftSynth& synth, SoftSynthFeed& feed, int periodFrames,
                                            const std::filesystem::path& file, std::function<bool()> synthReady);
    // Stops the thread and completes the file.
    ~FileAudio();
    FileAudio(const FileAudio&) = delete;
    FileAudio& operator=(const FileAudio&) = delete;

private:
    FileAudio(SoftSynthFeed& feed, fluid_file_renderer_t* renderer, double sampleRate, int periodFrames,
              std::function<bool()> synthReady);
    void run();
    float renderBlock(int offset, int frames) override;
    void silenceBlock(int offset, int frames) override;

    SoftSynthFeed& feed_;
    fluid_file_renderer_t* renderer_;
    double sampleRate_;
    int periodFrames_;
    std::function<bool()> synthReady_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace platform
