#pragma once
// What the MIDI output backends are told when they are made
// (platform/registry.h): one plain value that the caller builds and hands
// over, so that nothing about where the devices and files are lives in the
// process at large. A default-made value is the program's own choice; tests
// and benchmarks change only the fields they care about.
#include "platform/processorsawake.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct OutputOptions {
    // The ALSA sequencer's device node. When it cannot be opened for reading
    // and writing the ALSA backend does not try the sequencer at all, so the
    // ALSA library has nothing to complain about.
    std::filesystem::path sequencerDevice = "/dev/snd/seq";
    // Whether the JACK backend looks for a running JACK server (the one
    // JACK_DEFAULT_SERVER names, else the default one); it never starts one.
    bool jackMidi = true;
    // Whether a song sent to an external port (JACK MIDI, an ALSA sequencer
    // port) is handed over ahead of time and placed by the server's own clock:
    // each JACK event at its frame, each sequencer event at its queue time.
    // Off, every event leaves when the player wakes for it.
    bool scheduleSongs = true;

    // The built-in synth's SoundFont. Empty: searched for each time the synth
    // opens (platform/soundfont.h). A chosen file that does not load makes the
    // open fail rather than quietly fall back to another font.
    std::filesystem::path soundFont;
    // Where the search for a SoundFont looks before the system's fonts
    // (ProgramFolders::extraFolders). Not given: the folders of the running
    // program, as ProgramFolders::ofThisProcess finds them.
    std::optional<std::vector<std::filesystem::path>> soundFontFolders;

    // The audio outputs the built-in synth tries in order when it opens; the
    // first that opens wins. Normally "pulseaudio" (which PipeWire desktops
    // serve), "alsa", "jack"; "file" writes the audio in real time into
    // fileAudioOutput instead (platform/fileaudio.h).
    std::vector<std::string> synthAudioDrivers{"pulseaudio", "alsa", "jack"};
    // The WAV file the "file" output writes; a relative name is taken from
    // the current folder.
    std::filesystem::path fileAudioOutput = "fluidsynth.wav";
    // When no output opens and "pulseaudio" is among them, the built-in synth
    // opens anyway and waits for the sound server, sounding once it answers
    // (the window, which lives long). Off, such an open fails (a command
    // that plays one song).
    bool waitForSoundServer = false;
    // Whether the built-in synth keeps the processors from halting while it
    // sounds through a sound server or card (platform/processorsawake.h).
    KeepAwake keepProcessorsAwake = KeepAwake::OnVirtualMachines;
};

}  // namespace platform
