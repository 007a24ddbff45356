#include "platform/processorsawake.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include <sched.h>

using namespace platform;

namespace {

// Waits up to two seconds for the naps to reach `count`.
bool napsReach(const ProcessorsAwake& awake, std::uint64_t count)
{
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (awake.naps() < count && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return awake.naps() >= count;
}

// The threads of this process whose scheduling policy is SCHED_IDLE.
int idleThreads()
{
    int count = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream stat(task.path() / "stat");
        std::string line;
        std::getline(stat, line);
        // The fields after the command's closing parenthesis; policy is field 41.
        std::istringstream fields(line.substr(line.rfind(')') + 2));
        std::string field;
        for (int i = 3; i <= 41 && fields >> field; ++i)
            if (i == 41 && field == std::to_string(SCHED_IDLE))
                ++count;
    }
    return count;
}

}  // namespace

TEST(ProcessorsAwake, NapsOnEveryProcessorAtTheLowestPriorityOnlyWhileHeld)
{
    cpu_set_t allowed;
    ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
    ProcessorsAwake awake;
    EXPECT_EQ(int(awake.threads()), std::min(CPU_COUNT(&allowed), 64));

    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(awake.naps(), 0u) << "nothing naps before a hold";

    awake.hold();
    awake.hold();
    EXPECT_TRUE(awake.held());
    ASSERT_TRUE(napsReach(awake, 50 * awake.threads()));
    EXPECT_EQ(idleThreads(), int(awake.threads()));

    const std::uint64_t atRelease = awake.naps();
    awake.release();
    EXPECT_FALSE(awake.held());
    // Each thread may still end the nap it was in (a thread of the lowest
    // priority on a busy machine may end it late), and no more.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const std::uint64_t afterRelease = awake.naps();
    EXPECT_LE(afterRelease - atRelease, awake.threads()) << "released threads wait without waking";

    awake.hold();
    EXPECT_TRUE(napsReach(awake, afterRelease + 50)) << "a second hold wakes them again";
}

TEST(ProcessorsAwake, StopsWhileHeld)
{
    auto awake = std::make_unique<ProcessorsAwake>();
    awake->hold();
    ASSERT_TRUE(napsReach(*awake, 1));
    awake.reset();
}

TEST(ProcessorsAwake, ReadsAndWritesItsChoices)
{
    for (KeepAwake each : {KeepAwake::Never, KeepAwake::OnVirtualMachines, KeepAwake::Always}) {
        KeepAwake read = each == KeepAwake::Never ? KeepAwake::Always : KeepAwake::Never;
        EXPECT_TRUE(keepAwakeFromWord(keepAwakeWord(each), read));
        EXPECT_EQ(read, each);
    }
    KeepAwake unchanged = KeepAwake::Always;
    EXPECT_FALSE(keepAwakeFromWord("sometimes", unchanged));
    EXPECT_FALSE(keepAwakeFromWord("", unchanged));
    EXPECT_EQ(unchanged, KeepAwake::Always);
    EXPECT_TRUE(keepAwakeApplies(KeepAwake::Always));
    EXPECT_FALSE(keepAwakeApplies(KeepAwake::Never));
    EXPECT_EQ(keepAwakeApplies(KeepAwake::OnVirtualMachines), runsOnVirtualMachine());
}
