#include "privatepulse.h"

#include <pulse/simple.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

bool PrivatePulse::installed()
{
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "");
    std::string folder;
    while (std::getline(folders, folder, ':'))
        if (!folder.empty() && access((fs::path(folder) / "pulseaudio").c_str(), X_OK) == 0)
            return true;
    return false;
}

PrivatePulse::PrivatePulse()
{
    std::string pattern = (fs::temp_directory_path() / "orv-pulse-XXXXXX").string();
    if (mkdtemp(pattern.data()))
        folder_ = pattern;
}

PrivatePulse::~PrivatePulse()
{
    kill();
    std::error_code ignored;
    if (!folder_.empty())
        fs::remove_all(folder_, ignored);
}

bool PrivatePulse::answers() const
{
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32NE, 48000, 2};
    pa_simple* probe = pa_simple_new(server().c_str(), "orv-test", PA_STREAM_RECORD, "orvsink.monitor", "probe", &spec,
                                     nullptr, nullptr, nullptr);
    if (!probe)
        return false;
    pa_simple_free(probe);
    return true;
}

bool PrivatePulse::start()
{
    if (folder_.empty() || pid_ > 0)
        return false;
    std::error_code ignored;
    fs::create_directories(folder_ / "home", ignored);
    fs::create_directories(folder_ / "run", ignored);
    const fs::path script = folder_ / "private.pa";
    std::ofstream(script) << "load-module module-null-sink sink_name=orvsink rate=48000\n"
                          << "set-default-sink orvsink\n"
                          << "load-module module-native-protocol-unix socket=" << (folder_ / "run" / "native").string()
                          << " auth-anonymous=1\n";

    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("HOME=", 0) != 0 && entry.rfind("PULSE_", 0) != 0 && entry.rfind("XDG_RUNTIME_DIR=", 0) != 0)
            env.push_back(entry);
    }
    env.push_back("HOME=" + (folder_ / "home").string());
    env.push_back("PULSE_RUNTIME_PATH=" + (folder_ / "run").string());
    env.push_back("XDG_RUNTIME_DIR=" + (folder_ / "run").string());
    std::vector<std::string> args = {"pulseaudio",        "-n", "--daemonize=no", "--exit-idle-time=-1",
                                     "--use-pid-file=no", "-F", script.string(),  "--log-target=stderr"};
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    const std::string log = (folder_ / "pulse.log").string();
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&files, STDOUT_FILENO, STDERR_FILENO);
    const int failed = posix_spawnp(&pid_, "pulseaudio", &files, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&files);
    if (failed != 0) {
        pid_ = -1;
        return false;
    }
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < giveUp) {
        if (answers())
            return true;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill();
    return false;
}

void PrivatePulse::kill()
{
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}
