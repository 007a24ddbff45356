// Reading and writing speed and memory of the Standard MIDI File reader and
// writer, on generated songs of 10k, 100k and 1M notes of four kinds.
// Prints, per song: load and save time (median of 5), events per second, and
// the peak memory of a load per event in the file (file image included).
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

long statusKb(const char* field) {
    std::ifstream f("/proc/self/status");
    std::string line;
    const size_t n = std::strlen(field);
    while (std::getline(f, line))
        if (line.compare(0, n, field) == 0) return std::stol(line.substr(n + 1));
    return -1;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <class F>
double seconds(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Peak memory of one load, measured in a fresh process (this program started
// again with --measure) so that memory kept by earlier loads does not hide it.
// Answers bytes per event in the file.
double measureInThisProcess(const std::string& path, size_t events) {
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

double peakBytesPerEvent(const char* self, const std::string& path, size_t events) {
    const std::string command = std::string(self) + " --measure " + path + " " + std::to_string(events);
    FILE* p = popen(command.c_str(), "r");
    if (!p) return -1;
    double result = -1;
    if (std::fscanf(p, "%lf", &result) != 1) result = -1;
    pclose(p);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--measure") == 0) {
        std::printf("%f\n", measureInThisProcess(argv[2], std::stoul(argv[3])));
        return 0;
    }
    const int runs = 5;
    std::vector<int> sizes = {10000, 100000, 1000000};
    if (argc > 1 && std::strcmp(argv[1], "--quick") == 0) sizes = {10000, 100000};
    const std::vector<std::string> kinds = {"format1", "format0", "dense", "onekey"};
    const std::string dir = "/tmp/orvelline-bench-" + std::to_string(getpid());
    std::string mk = "mkdir -p " + dir;
    if (std::system(mk.c_str()) != 0) return 1;

    std::printf("%-8s %8s %9s %9s %9s %9s %12s %10s\n", "song", "notes", "events", "MB", "load s", "save s",
                "events/s", "bytes/ev");
    std::map<std::string, std::vector<double>> loadTimes, saveTimes;
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
            std::printf("%-8s %8d %9zu %9.2f %9.4f %9.4f %12.3g %10.1f\n", kind.c_str(), notes, gen.events,
                        double(gen.image.size()) / 1e6, load, save, double(gen.events) / load, perEvent);
            std::remove(path.c_str());
        }
    }
    std::printf("\nCost of each 10x in size (time ratio; at most 11 wanted):\n");
    for (const std::string& kind : kinds) {
        std::printf("%-8s load", kind.c_str());
        for (size_t i = 1; i < loadTimes[kind].size(); ++i) std::printf(" %6.2f", loadTimes[kind][i] / loadTimes[kind][i - 1]);
        std::printf("   save");
        for (size_t i = 1; i < saveTimes[kind].size(); ++i) std::printf(" %6.2f", saveTimes[kind][i] / saveTimes[kind][i - 1]);
        std::printf("\n");
    }
    // The machine's own cost of 10x more memory: one write and one read sweep
    // over buffers the size of the 100k and 1M songs' events.
    double sweep[2];
    const size_t bytes[2] = {8u << 20, 80u << 20};
    for (int i = 0; i < 2; ++i) {
        std::vector<char> buffer(bytes[i]);
        std::vector<double> times;
        for (int r = 0; r < runs; ++r) {
            times.push_back(seconds([&] {
                std::memset(buffer.data(), r, buffer.size());
                long sum = 0;
                for (size_t k = 0; k < buffer.size(); k += 64) sum += buffer[k];
                if (sum == 1) std::puts("");
            }));
        }
        sweep[i] = median(times);
    }
    std::printf("memory sweep 8 MB -> 80 MB: %.2fx (the hardware's own cost of 10x more data)\n", sweep[1] / sweep[0]);
    rmdir(dir.c_str());
    return 0;
}
