// vesk-sim as a process: which COM number it takes, its first line, and its
// link's removal on every way of stopping it.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/com_port_map.h"
#include "support/sim_process.h"

namespace vesk {
namespace {

using testing::ScopedRuntimeDir;
using testing::SimProcess;

std::string LinkTarget(unsigned comNumber) {
    std::error_code error;
    return std::filesystem::read_symlink(platform::VirtualPortPath(comNumber), error).string();
}

bool EntryExists(unsigned comNumber) {
    struct stat info {};
    return lstat(platform::VirtualPortPath(comNumber).c_str(), &info) == 0;
}

// A stale entry of another program: the simulator must leave it alone.
void PlaceForeignLink(unsigned comNumber) {
    std::filesystem::create_directories(platform::VirtualPortDirectory());
    std::filesystem::create_symlink("/nonexistent/device", platform::VirtualPortPath(comNumber));
}

TEST(SimFirstLine, IsParsedOnlyInItsExactForm) {
    unsigned number = 0;
    std::string path;
    EXPECT_TRUE(testing::ParseSimFirstLine("vesk-sim: COM7 /dev/pts/3", number, path));
    EXPECT_EQ(number, 7u);
    EXPECT_EQ(path, "/dev/pts/3");
    for (const char* bad : {"vesk-sim: COM0 /dev/pts/3", "vesk-sim: COM256 /dev/pts/3",
                            "vesk-sim: COM7", "vesk-sim: COM7 pts/3", "vesk-sim: COMx /dev/pts/3",
                            "vesk-sim: cannot open a pseudo-terminal"}) {
        EXPECT_FALSE(testing::ParseSimFirstLine(bad, number, path)) << bad;
    }
}

TEST(SimProcess, TakesTheLowestFreeNumberAndLinksItToItsDevice) {
    ScopedRuntimeDir runtimeDir;
    PlaceForeignLink(1);
    auto first = SimProcess::Start({"--no-line-time"});
    ASSERT_NE(first, nullptr);
    auto second = SimProcess::Start({"--no-line-time"});
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(first->ComNumber(), 2u);
    EXPECT_EQ(second->ComNumber(), 3u);
    EXPECT_EQ(LinkTarget(2), first->DevicePath());
    EXPECT_EQ(LinkTarget(3), second->DevicePath());
    EXPECT_NE(first->DevicePath(), second->DevicePath());
}

TEST(SimProcess, TakesTheNumberItIsGiven) {
    ScopedRuntimeDir runtimeDir;
    auto sim = SimProcess::Start({"--com", "200", "--no-line-time"});
    ASSERT_NE(sim, nullptr);
    EXPECT_EQ(sim->ComNumber(), 200u);
    EXPECT_EQ(LinkTarget(200), sim->DevicePath());
}

TEST(SimProcess, RefusesANumberWhoseEntryExistsAndLeavesTheEntry) {
    ScopedRuntimeDir runtimeDir;
    PlaceForeignLink(5);
    EXPECT_EQ(SimProcess::Start({"--com", "5"}), nullptr);
    EXPECT_EQ(LinkTarget(5), "/nonexistent/device");
}

TEST(SimProcess, RefusesAVirtualPortDirectoryThatOthersMayWriteTo) {
    ScopedRuntimeDir runtimeDir;
    std::filesystem::create_directories(platform::VirtualPortDirectory());
    chmod(platform::VirtualPortDirectory().c_str(), 0777);
    EXPECT_EQ(SimProcess::Start({}), nullptr);
}

class SimStopSignal : public ::testing::TestWithParam<int> {};

TEST_P(SimStopSignal, RemovesTheLinkAndExitsCleanly) {
    ScopedRuntimeDir runtimeDir;
    auto sim = SimProcess::Start({"--no-line-time"});
    ASSERT_NE(sim, nullptr);
    const unsigned number = sim->ComNumber();
    ASSERT_TRUE(EntryExists(number));
    sim->Kill(GetParam());
    // Stop would send SIGTERM too; wait for this signal's own effect first.
    for (int i = 0; i < 1000 && EntryExists(number); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(EntryExists(number));
    EXPECT_TRUE(sim->Stop());
}

INSTANTIATE_TEST_SUITE_P(Signals, SimStopSignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& testCase) {
                             return std::string(sigabbrev_np(testCase.param));
                         });

}  // namespace
}  // namespace vesk
