// Reading and writing speed and memory of the Standard MIDI File reader and
// writer, on generated songs of 10k, 100k and 1M notes of four kinds.
// Prints, per song: load and save time (median of 5), events per second, and
// the peak memory of a load per event in the file (file image included), and
// the whole time of a fresh orvelline-midi process reading the file next to
// midicsv's. "smf_bench --write KIND NOTES FILE" writes one generated song.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "mididata/bytestream.h"
#include "mididata/song.h"
#include "smfgen.h"

namespace {

long statusKb(const char* field)
{
    std::ifstream f("/proc/self/status");
    std::string line;
    const std::size_t n = std::strlen(field);
    while (std::getline(f, line))
        if (line.compare(0, n, field) == 0)
            return std::stol(line.substr(n + 1));
    return -1;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <class F>
double seconds(F&& f)
{
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Peak memory of one load, measured in a fresh process (this program started
// again with --measure) so that memory kept by earlier loads does not hide it.
// Answers bytes per event in the file.
double measureInThisProcess(const std::string& path, std::size_t events)
{
    const long before = statusKb("VmRSS:");
    if (FILE* f = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", f);  // the peak starts again from the current size
        std::fclose(f);
    }
    midiSong song;
    song.load(path);
    const long peak = statusKb("VmHWM:");
    return double(peak - before) * 1024.0 / double(events);
}

struct ProcessRun {
    double seconds = -1;  // wall time from start to exit
    long minorFaults = 0;
    double cpuSeconds = 0;  // user and system: what the run costs on a busy machine
};

// Runs a program as a fresh process with its output thrown away: the whole
// cost a user waits for, start-up, page faults and exit included.
ProcessRun runProcess(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    ProcessRun run;
    pid_t pid = 0;
    const auto start = std::chrono::steady_clock::now();
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return run;
    int status = 0;
    struct rusage usage = {};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return run;
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.minorFaults = usage.ru_minflt;
    run.cpuSeconds = double(usage.ru_stime.tv_sec + usage.ru_utime.tv_sec) +
                     double(usage.ru_stime.tv_usec + usage.ru_utime.tv_usec) / 1e6;
    return run;
}

// The median run of several (by wall time); none when there were no runs.
ProcessRun medianOf(std::vector<ProcessRun> all)
{
    if (all.empty())
        return {};
    std::sort(all.begin(), all.end(), [](const ProcessRun& a, const ProcessRun& b) { return a.seconds < b.seconds; });
    return all[all.size() / 2];
}

// orvelline-midi beside this program's build folder, unless ORV_MIDI_TOOL names it.
std::string toolPath(const char* self)
{
    if (const char* env = std::getenv("ORV_MIDI_TOOL"))
        return env;
    std::string dir = self;
    const std::size_t slash = dir.rfind('/');
    dir = slash == std::string::npos ? "." : dir.substr(0, slash);
    return dir + "/../tools/orvelline-midi";
}

bool haveMidicsv()
{
    return std::system("command -v midicsv >/dev/null 2>&1") == 0;
}

double peakBytesPerEvent(const char* self, const std::string& path, std::size_t events)
{
    const std::string command = std::string(self) + " --measure " + path + " " + std::to_string(events);
    FILE* p = popen(command.c_str(), "r");
    if (!p)
        return -1;
    double result = -1;
    if (std::fscanf(p, "%lf", &result) != 1)
        result = -1;
    pclose(p);
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--write") == 0) {
        // The generated song alone, for timing other programs on it.
        const GeneratedSong gen = generateSong(argv[2], std::stoi(argv[3]));
        std::ofstream out(argv[4], std::ios::binary);
        out.write(reinterpret_cast<const char*>(gen.image.data()), std::streamsize(gen.image.size()));
        return out ? 0 : 1;
    }
    if (argc == 4 && std::strcmp(argv[1], "--measure") == 0) {
        std::printf("%f\n", measureInThisProcess(argv[2], std::stoul(argv[3])));
        return 0;
    }
    const int runs = 5;
    std::vector<int> sizes = {10000, 100000, 1000000};
    if (argc > 1 && std::strcmp(argv[1], "--quick") == 0)
        sizes = {10000, 100000};
    const std::vector<std::string> kinds = {"format1", "format0", "dense", "onekey", "unmatched", "tempo2", "meters"};
    const std::string tool = toolPath(argv[0]);
    const bool cold = access(tool.c_str(), X_OK) == 0;
    const bool midicsv = haveMidicsv();
    if (!cold)
        std::printf("(%s not found: no whole-process figures; ORV_MIDI_TOOL names it)\n", tool.c_str());
    if (!midicsv)
        std::printf("(midicsv not found: no comparison)\n");
    const std::string dir = "/tmp/orvelline-bench-" + std::to_string(getpid());
    std::string mk = "mkdir -p " + dir;
    if (std::system(mk.c_str()) != 0)
        return 1;

    // "cold s": orvelline-midi info as a fresh process, whole (median of 5);
    // "midicsv s": midicsv of the same file the same way; "cpu": the processor
    // time of each (user and system), steadier than wall time on a busy
    // machine; "faults": minor page faults of the cold run.
    std::printf("%-9s %8s %9s %7s %8s %8s %10s %8s %8s %9s %7s %7s %8s %6s\n", "song", "notes", "events", "MB",
                "load s", "save s", "events/s", "bytes/ev", "cold s", "midicsv s", "ratio", "cpu", "csv cpu", "faults");
    std::map<std::string, std::vector<double>> loadTimes, saveTimes, coldTimes;
    for (const std::string& kind : kinds) {
        for (int notes : sizes) {
            const GeneratedSong gen = generateSong(kind, notes);
            const std::string path = dir + "/" + kind + "-" + std::to_string(notes) + ".mid";
            {
                std::ofstream out(path, std::ios::binary);
                out.write(reinterpret_cast<const char*>(gen.image.data()), std::streamsize(gen.image.size()));
            }
            const double perEvent = peakBytesPerEvent(argv[0], path, gen.events);
            std::vector<double> loads, saves;
            for (int r = 0; r < runs; ++r) {
                midiSong song;
                loads.push_back(seconds([&] { song.load(path); }));
                ByteStream stream;
                saves.push_back(seconds([&] { song.save(stream); }));
            }
            const double load = median(loads), save = median(saves);
            loadTimes[kind].push_back(load);
            saveTimes[kind].push_back(save);
            std::vector<ProcessRun> ourRuns, theirRuns;
            for (int r = 0; r < runs; ++r) {
                // Taken by turns, so that both see the same load on the machine.
                if (cold)
                    ourRuns.push_back(runProcess({tool, "info", path}));
                if (midicsv)
                    theirRuns.push_back(runProcess({"midicsv", path, "/dev/null"}));
            }
            const ProcessRun ours = medianOf(ourRuns), theirs = medianOf(theirRuns);
            coldTimes[kind].push_back(ours.seconds);
            std::printf("%-9s %8d %9zu %7.2f %8.4f %8.4f %10.3g %8.1f %8.4f %9.4f %7.3f %7.3f %8.3f %6ld\n",
                        kind.c_str(), notes, gen.events, double(gen.image.size()) / 1e6, load, save,
                        double(gen.events) / load, perEvent, ours.seconds, theirs.seconds,
                        ours.seconds > 0 && theirs.seconds > 0 ? ours.seconds / theirs.seconds : -1.0, ours.cpuSeconds,
                        theirs.cpuSeconds, ours.minorFaults);
            std::fflush(stdout);
            std::remove(path.c_str());
        }
    }
    std::printf("\nCost of each 10x in size (time ratio; at most 11 wanted):\n");
    for (const std::string& kind : kinds) {
        std::printf("%-9s load", kind.c_str());
        for (std::size_t i = 1; i < loadTimes[kind].size(); ++i)
            std::printf(" %6.2f", loadTimes[kind][i] / loadTimes[kind][i - 1]);
        std::printf("   cold");
        for (std::size_t i = 1; i < coldTimes[kind].size(); ++i)
            std::printf(" %6.2f", coldTimes[kind][i] / coldTimes[kind][i - 1]);
        std::printf("   save");
        for (std::size_t i = 1; i < saveTimes[kind].size(); ++i)
            std::printf(" %6.2f", saveTimes[kind][i] / saveTimes[kind][i - 1]);
        std::printf("\n");
    }
    // The machine's own cost of 10x more memory: one write and one read sweep
    // over buffers the size of the 100k and 1M songs' events.
    double sweep[2];
    const std::size_t bytes[2] = {8u << 20, 80u << 20};
    for (int i = 0; i < 2; ++i) {
        std::vector<char> buffer(bytes[i]);
        std::vector<double> times;
        for (int r = 0; r < runs; ++r) {
            times.push_back(seconds([&] {
                std::memset(buffer.data(), r, buffer.size());
                long sum = 0;
                for (std::size_t k = 0; k < buffer.size(); k += 64)
                    sum += buffer[k];
                if (sum == 1)
                    std::puts("");
            }));
        }
        sweep[i] = median(times);
    }
    std::printf("memory sweep 8 MB -> 80 MB: %.2fx (the hardware's own cost of 10x more data)\n", sweep[1] / sweep[0]);
    rmdir(dir.c_str());
    return 0;
}
