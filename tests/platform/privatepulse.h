#pragma once
// A PulseAudio server of a test's own, with a null sink "orvsink" and a socket
// in a temporary folder, as scripts/private-audio.sh starts one: the test
// may kill it and start it again on the same socket. It never touches a
// user's server; it is stopped by its process id.
#include <filesystem>
#include <string>
#include <sys/types.h>

class PrivatePulse {
public:
    // Whether a pulseaudio program is on the PATH.
    static bool installed();

    PrivatePulse();
    // Stops the server and removes the folder.
    ~PrivatePulse();
    PrivatePulse(const PrivatePulse&) = delete;
    PrivatePulse& operator=(const PrivatePulse&) = delete;

    // Starts the server and waits (ten seconds at most) until it answers.
    bool start();
    // Kills the server as a crash would (SIGKILL), and waits for it to go.
    void kill();
    // For PULSE_SERVER: "unix:" and the socket.
    std::string server() const { return "unix:" + (folder_ / "run" / "native").string(); }

private:
    bool answers() const;

    std::filesystem::path folder_;
    pid_t pid_ = -1;
};
