// Keeping an unsaved take on disk, for takes of a few minutes up to an hour of
// playing at 150 entries a second (pitch bend and expression as the pointer
// moves, a note every second): how long the window thread spends handing the
// last half second over to the writer, and how long the writer then takes for
// the whole take (built into a song, written and flushed to the disk, renamed
// into place). Prints milliseconds; asserts nothing.
//
//   takerecovery_bench [FOLDER]   (where the file is written, default /tmp)
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "perform/takerecovery.h"
#include "perform/vidize.h"

namespace {

constexpr int kEntriesPerSecond = 150;

void fill(TVidize& performer, int seconds)
{
    performer.Entries.clear();
    for (int i = 0; i < seconds * kEntriesPerSecond; ++i) {
        const int inSecond = i % kEntriesPerSecond;
        if (inSecond == 0)
            performer.Entries.push_back({7, RecordKind::NoteOn, 0});
        else if (inSecond == kEntriesPerSecond - 1)
            performer.Entries.push_back({7, RecordKind::NoteOff, 0});
        else if (i % 2)
            performer.Entries.push_back({7, RecordKind::PitchBend, 8192 + (i % 400)});
        else
            performer.Entries.push_back({0, RecordKind::Expression, 64 + (i % 60)});
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path file = std::filesystem::path(argc > 1 ? argv[1] : "/tmp") / "takerecovery-bench.mid";
    TVidize performer;
    std::printf("%8s %9s %11s %12s %9s\n", "minutes", "entries", "file bytes", "hand-over ms", "write ms");
    for (const int minutes : {1, 5, 15, 30, 60}) {
        fill(performer, minutes * 60);
        const std::size_t halfSecond = kEntriesPerSecond / 2;
        TakeRecovery recovery;
        recovery.setFile(file);
        performer.Entries.resize(performer.Entries.size() - halfSecond);
        recovery.keep(performer);
        recovery.flush();
        fill(performer, minutes * 60);
        const auto start = std::chrono::steady_clock::now();
        recovery.keep(performer);
        const auto handed = std::chrono::steady_clock::now();
        recovery.flush();
        const auto written = std::chrono::steady_clock::now();
        std::printf("%8d %9zu %11ju %12.3f %9.1f\n", minutes, performer.Entries.size(),
                    std::uintmax_t(std::filesystem::file_size(file)),
                    std::chrono::duration<double, std::milli>(handed - start).count(),
                    std::chrono::duration<double, std::milli>(written - handed).count());
    }
    std::filesystem::remove(file);
    return 0;
}
