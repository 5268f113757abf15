// vesk-sim --device: the same module on a serial port it opens itself, here
// one end of a pseudo-terminal pair whose other end plays the PC.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "link/parameter_frame.h"
#include "sim/module_model.h"
#include "sim/sim_options.h"
#include "support/sim_process.h"

extern char** environ;

namespace vesk {
namespace {

constexpr int kLimitMs = 5000;

// Reads exactly `count` bytes, waiting at most kLimitMs for each.
std::vector<std::uint8_t> ReadBytes(int fd, std::size_t count) {
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < count) {
        pollfd entry{fd, POLLIN, 0};
        if (poll(&entry, 1, kLimitMs) <= 0) {
            break;
        }
        std::uint8_t buffer[64];
        const ssize_t n = read(fd, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (n <= 0) {
            break;
        }
        bytes.insert(bytes.end(), buffer, buffer + n);
    }
    return bytes;
}

std::vector<std::uint8_t> ToBytes(const Frame& frame) {
    return {frame.begin(), frame.end()};
}

class SimOnDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        pc = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        ASSERT_GE(pc, 0);
        ASSERT_EQ(grantpt(pc), 0);
        ASSERT_EQ(unlockpt(pc), 0);
        const std::string device = ptsname(pc);

        int out[2];
        ASSERT_EQ(pipe2(out, O_CLOEXEC), 0);
        const std::string program = testing::SimExecutablePath();
        std::vector<std::string> args = {program, "--device", device, "--no-line-time"};
        std::vector<char*> argv;
        for (std::string& arg : args) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        ASSERT_EQ(posix_spawn(&sim, program.c_str(), &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        const std::string expected = "vesk-sim: device " + device + "\n";
        const std::vector<std::uint8_t> line = ReadBytes(out[0], expected.size());
        close(out[0]);
        ASSERT_EQ(std::string(line.begin(), line.end()), expected);
    }

    void TearDown() override {
        if (sim > 0) {
            kill(sim, SIGTERM);
            int status = 0;
            waitpid(sim, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        close(pc);
    }

    std::vector<std::uint8_t> Exchange(const Frame& request) {
        EXPECT_EQ(write(pc, request.data(), request.size()), 25);
        return ReadBytes(pc, kFrameSize);
    }

    speed_t DeviceSpeed() const {
        termios settings{};
        tcgetattr(pc, &settings);
        return cfgetospeed(&settings);
    }

    int pc = -1;
    pid_t sim = -1;
};

TEST_F(SimOnDevice, AnswersAndSwitchesTheDevicesSpeedAfterAWrite) {
    const sim::SettingsBlock initial = sim::BlockFromParams(sim::DefaultModuleSettings());
    EXPECT_EQ(DeviceSpeed(), B9600);
    EXPECT_EQ(Exchange(ReadRequest()), ToBytes(sim::BuildReply(kCommandReadAll, initial)));

    ModuleParams written = sim::DefaultModuleSettings();
    written.baudCode = 5;
    EXPECT_EQ(Exchange(BuildWriteRequest(written)),
              ToBytes(sim::BuildReply(kCommandWriteAll, sim::BlockFromParams(written))));
    // The switch follows the reply; give the simulator a moment to make it.
    for (int i = 0; i < 500 && DeviceSpeed() != B19200; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(DeviceSpeed(), B19200);
}

}  // namespace
}  // namespace vesk
