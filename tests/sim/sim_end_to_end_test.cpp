// vesk-sim end to end: the link library talks to it over a real pseudo-terminal.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "link/notification_queue.h"
#include "link/protocol_endpoint.h"
#include "sim/fault_injector.h"
#include "sim/module_model.h"
#include "sim/sim_options.h"
#include "support/sim_process.h"

namespace vesk {
namespace {

using std::chrono::milliseconds;
using testing::NotificationQueue;
using testing::ScopedRuntimeDir;
using testing::SimProcess;

// Long enough for a loaded machine; only silent cases wait it out in full.
constexpr milliseconds kReplyLimit{5000};
// How long a module must stay silent to count as not answering.
constexpr milliseconds kSilence{1000};

ModuleParams Expected(std::uint8_t command, ModuleParams settings) {
    settings.command = command;
    return settings;
}

// The resident memory of a process, from /proc; -1 when unreadable.
long ResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

constexpr std::uint32_t kReplyMessage = 0xC020;

class SimEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override { port.SetNotify(notifications.Handle(), kReplyMessage); }
    void TearDown() override { port.Close(); }

    void Start(std::vector<std::string> args) {
        args.insert(args.begin(), "--no-line-time");
        sim = SimProcess::Start(args);
        ASSERT_NE(sim, nullptr);
    }

    void Open(int baud) { ASSERT_TRUE(port.Open(sim->ComNumber(), baud, 0)); }

    std::optional<std::uintptr_t> Read() {
        EXPECT_TRUE(port.ReadAll());
        return notifications.NextWParam(kReplyLimit);
    }

    ScopedRuntimeDir runtimeDir;
    NotificationQueue notifications;
    VeskSerial port;
    std::unique_ptr<SimProcess> sim;
};

TEST_F(SimEndToEnd, ReadAllReturnsTheInitialSettings) {
    Start({});
    Open(9600);
    EXPECT_EQ(Read(), VeskSerial::kReplyGood);
    EXPECT_EQ(port.LastReply(), Expected(kCommandReadAll, sim::DefaultModuleSettings()));
}

TEST_F(SimEndToEnd, SettingsGivenAsOptionsAreWhatReadAllReturns) {
    Start(
        {"--frequency", "433.92", "--spreading-factor", "12", "--node-id", "258", "--wake", "255"});
    Open(9600);
    ModuleParams expected = sim::DefaultModuleSettings();
    expected.frequencyMHz = 433.92;
    expected.spreadingFactor = 12;
    expected.nodeIdHigh = 1;
    expected.nodeIdLow = 2;
    expected.wakeIndex = 255;
    EXPECT_EQ(Read(), VeskSerial::kReplyGood);
    EXPECT_EQ(port.LastReply(), Expected(kCommandReadAll, expected));
}

TEST_F(SimEndToEnd, WriteAllThenReadAllReturnsWhatWasWritten) {
    Start({});
    Open(9600);
    ModuleParams written;
    written.baudCode = 4;
    written.parity = 1;
    written.frequencyMHz = 99.99;
    written.spreadingFactor = 7;
    written.mode = 2;
    written.bandwidthCode = 9;
    written.nodeIdHigh = 0xFF;
    written.nodeIdLow = 0x01;
    written.netId = 200;
    written.power = 1;
    written.breathIndex = 4;
    written.wakeIndex = 0;
    ASSERT_TRUE(port.WriteAll(&written));
    EXPECT_EQ(notifications.NextWParam(kReplyLimit), VeskSerial::kReplyGood);
    EXPECT_EQ(port.LastReply(), Expected(kCommandWriteAll, written));
    EXPECT_EQ(Read(), VeskSerial::kReplyGood);
    EXPECT_EQ(port.LastReply(), Expected(kCommandReadAll, written));
}

TEST_F(SimEndToEnd, ClosingAndReopeningThePortKeepsTheModule) {
    Start({});
    Open(9600);
    EXPECT_EQ(Read(), VeskSerial::kReplyGood);
    port.Close();
    Open(9600);
    EXPECT_EQ(Read(), VeskSerial::kReplyGood);
}

struct SpeedCase {
    std::string name;
    std::vector<std::string> args;
    int pcBaud;
    bool answered;
};

class SimSpeed : public SimEndToEnd, public ::testing::WithParamInterface<SpeedCase> {};

TEST_P(SimSpeed, TheModuleAnswersOnlyAtItsOwnSpeed) {
    Start(GetParam().args);
    Open(GetParam().pcBaud);
    ASSERT_TRUE(port.ReadAll());
    const auto got = notifications.NextWParam(GetParam().answered ? kReplyLimit : kSilence);
    EXPECT_EQ(got.has_value(), GetParam().answered);
}

INSTANTIATE_TEST_SUITE_P(
    Speeds, SimSpeed,
    ::testing::Values(SpeedCase{"DefaultModuleAt9600Answers", {}, 9600, true},
                      SpeedCase{"DefaultModuleIsDeafAt19200", {}, 19200, false},
                      SpeedCase{"Code5ModuleAnswersAt19200", {"--baud-code", "5"}, 19200, true},
                      SpeedCase{"Code5ModuleIsDeafAt9600", {"--baud-code", "5"}, 9600, false},
                      SpeedCase{"Code0ModuleAnswersAt115200", {"--baud-code", "0"}, 115200, true}),
    [](const auto& testCase) { return testCase.param.name; });

TEST_F(SimEndToEnd, AfterAWriteThatChangesTheSpeedOnlyTheNewSpeedIsAnswered) {
    Start({});
    Open(9600);
    ModuleParams written = sim::DefaultModuleSettings();
    written.baudCode = 5;  // 19200
    ASSERT_TRUE(port.WriteAll(&written));
    // The answer still comes at the old speed.
    ASSERT_EQ(notifications.NextWParam(kReplyLimit), VeskSerial::kReplyGood);
    EXPECT_EQ(port.LastReply().baudCode, 5);

    ASSERT_TRUE(port.ReadAll());
    EXPECT_EQ(notifications.NextWParam(kSilence), std::nullopt);

    ASSERT_TRUE(port.SetLineFormat(19200, 0));
    EXPECT_EQ(Read(), VeskSerial::kReplyGood);
    EXPECT_EQ(port.LastReply(), Expected(kCommandReadAll, written));
}

struct FaultCase {
    std::string name;
    std::vector<std::string> args;
    std::optional<std::uintptr_t> first;  // the first notification after a read, if any
};

class SimFaults : public SimEndToEnd, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(SimFaults, DoWhatTheySay) {
    std::vector<std::string> args = GetParam().args;
    args.insert(args.end(), {"--seed", "1"});
    Start(args);
    Open(9600);
    ASSERT_TRUE(port.ReadAll());
    EXPECT_EQ(notifications.NextWParam(GetParam().first ? kReplyLimit : kSilence),
              GetParam().first);
}

INSTANTIATE_TEST_SUITE_P(
    Options, SimFaults,
    ::testing::Values(
        FaultCase{
            "CorruptAlwaysDamagesTheChecksum", {"--corrupt", "1"}, VeskSerial::kReplyBadChecksum},
        FaultCase{"DropAlwaysLeavesTheRequestUnanswered", {"--drop", "1"}, std::nullopt},
        FaultCase{"MuteNeverAnswers", {"--mute"}, std::nullopt},
        FaultCase{
            "NoiseBeforeTheReplyIsSkippedByTheReader", {"--noise", "1"}, VeskSerial::kReplyGood},
        FaultCase{"SplitRepliesAreReassembled", {"--split"}, VeskSerial::kReplyGood},
        FaultCase{"ADelayedReplyStillArrives", {"--reply-delay", "100"}, VeskSerial::kReplyGood},
        FaultCase{"LineTimeStillAnswers", {"--line-time"}, VeskSerial::kReplyGood}),
    [](const auto& testCase) { return testCase.param.name; });

TEST_F(SimEndToEnd, AFixedSeedGivesTheFaultsTheInjectorPredicts) {
    Start({"--corrupt", "0.5", "--seed", "7"});
    Open(9600);
    const Frame reply =
        sim::BuildReply(kCommandReadAll, sim::BlockFromParams(sim::DefaultModuleSettings()));
    sim::FaultInjector predicted({0.0, 0.5, 0.0}, 7);
    for (int i = 0; i < 12; ++i) {
        const bool corrupted = predicted.Apply(reply).corrupted;
        EXPECT_EQ(Read(), corrupted ? VeskSerial::kReplyBadChecksum : VeskSerial::kReplyGood)
            << "reply " << i;
    }
}

TEST_F(SimEndToEnd, ARequestSentOneByteAtATimeIsAnswered) {
    Start({});
    Open(9600);
    for (std::uint8_t byte : ReadRequest()) {
        ASSERT_TRUE(port.Send(&byte, 1));
        std::this_thread::sleep_for(milliseconds(3));
    }
    EXPECT_EQ(notifications.NextWParam(kReplyLimit), VeskSerial::kReplyGood);
}

TEST_F(SimEndToEnd, AFloodOfJunkIsSurvivedAndNeverAnswered) {
    Start({});
    Open(9600);
    std::mt19937 generator(3);
    std::vector<std::uint8_t> junk(1024 * 1024);
    auto sendJunk = [&] {
        for (std::uint8_t& byte : junk) {
            byte = static_cast<std::uint8_t>(generator());
        }
        ASSERT_TRUE(port.Send(junk.data(), junk.size()));
    };
    // The first megabyte warms up whatever the process allocates once; the
    // four after it must leave no trace in its memory.
    sendJunk();
    EXPECT_EQ(Read(), VeskSerial::kReplyGood);
    const long residentBefore = ResidentKiB(sim->Pid());
    for (int i = 0; i < 4; ++i) {
        sendJunk();
    }
    // Every notification is an answer to a read, none to the junk.
    EXPECT_EQ(Read(), VeskSerial::kReplyGood);
    EXPECT_EQ(port.LastReply(), Expected(kCommandReadAll, sim::DefaultModuleSettings()));
    EXPECT_LT(ResidentKiB(sim->Pid()) - residentBefore, 1024);
}

TEST_F(SimEndToEnd, AStalledModuleLetsThePcsWritesFillTheLine) {
    Start({"--stall"});
    const int fd = open(sim->DevicePath().c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    const std::vector<std::uint8_t> chunk(1024, 0x55);
    // Fill the line, pause, and try again a few times: a module that still
    // read would take about 20 KB more each round; a stalled one takes none
    // once the pseudo-terminal's buffers are full.
    std::size_t written = 0;
    int lastError = 0;
    for (int round = 0; round < 6; ++round) {
        while (written < 16u * 1024 * 1024) {
            const ssize_t n = write(fd, chunk.data(), chunk.size());
            if (n < 0) {
                lastError = errno;
                break;
            }
            written += static_cast<std::size_t>(n);
        }
        std::this_thread::sleep_for(milliseconds(50));
    }
    close(fd);
    EXPECT_EQ(lastError, EAGAIN);
    EXPECT_LT(written, 64u * 1024);
}

}  // namespace
}  // namespace vesk
