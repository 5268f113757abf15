// CXSerial and VeskSerial over a real pseudo-terminal linked into a private
// virtual-port directory: delivery, line settings seen by the other end,
// exclusive access, unplugging, and teardown while bytes arrive.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <random>
#include <thread>

#include "link/frame_fixtures.h"
#include "link/notification_queue.h"
#include "link/protocol_endpoint.h"
#include "link/recording_serial.h"
#include "platform/com_port_map.h"
#include "support/pty_module.h"
#include "support/sim_process.h"

namespace vesk {
namespace {

using testing::Bytes;

using testing::RecordingSerial;

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

class PtyChannelTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(pty.IsReady()); }

    testing::ScopedRuntimeDir runtime;
    testing::PtyModule pty{5};
};

TEST_F(PtyChannelTest, BytesArriveAtOnByteInOrder) {
    RecordingSerial serial;
    ASSERT_TRUE(serial.Open(pty.ComNumber(), 115200, 0));
    std::mt19937 random(11);
    Bytes sent(5000);
    for (auto& byte : sent) {
        byte = static_cast<std::uint8_t>(random());
    }
    ASSERT_TRUE(pty.Write(sent));
    EXPECT_EQ(serial.WaitForBytes(sent.size()), sent);
}

TEST_F(PtyChannelTest, TheOtherEndSeesTheLineTheChannelSet) {
    RecordingSerial serial;
    ASSERT_TRUE(serial.Open(pty.ComNumber(), 19200, 0));
    termios t = pty.Settings();
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B19200));
    EXPECT_EQ(t.c_cflag & (HUPCL | CSTOPB), 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
    EXPECT_TRUE(serial.Configure(pty.ComNumber(), 115200, 0));
    t = pty.Settings();
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B115200));
    EXPECT_FALSE(serial.Configure(pty.ComNumber(), 12345, 0));  // a speed termios cannot set
    EXPECT_TRUE(serial.IsOpen());
}

TEST_F(PtyChannelTest, EveryParityOpensAgainAfterAClose) {
    // The pty driver drops parity; a second set-up with parity must not fail for it.
    for (int parity = 0; parity <= 2; ++parity) {
        for (int round = 0; round < 3; ++round) {
            RecordingSerial serial;
            EXPECT_TRUE(serial.Open(pty.ComNumber(), 9600, parity)) << parity << " round " << round;
            EXPECT_TRUE(serial.SetLineFormat(9600, parity)) << parity << " round " << round;
        }
    }
}

TEST_F(PtyChannelTest, RequestsReachTheModuleAndItsReplyIsDecoded) {
    testing::NotificationQueue window;
    VeskSerial serial;
    serial.SetNotify(window.Handle(), 0xC010);
    ASSERT_TRUE(serial.Open(pty.ComNumber(), 9600, 0));
    ASSERT_TRUE(serial.ReadAll());
    EXPECT_EQ(pty.Read(25), testing::ToBytes(ReadRequest()));
    ASSERT_TRUE(pty.Write(testing::ToBytes(testing::kDefaultWriteFrame)));
    const auto posted = window.Next();
    ASSERT_TRUE(posted);
    EXPECT_EQ(posted->wParam, VeskSerial::kReplyGood);
    EXPECT_EQ(serial.LastReply().frequencyMHz, 434.0);
}

TEST_F(PtyChannelTest, APortHeldByOneChannelCanNeitherBeListedNorOpenedByAnother) {
    RecordingSerial first, second;
    EXPECT_TRUE(PortExists(pty.ComNumber()));
    ASSERT_TRUE(first.Open(pty.ComNumber(), 9600, 0));
    EXPECT_FALSE(PortExists(pty.ComNumber()));
    EXPECT_FALSE(second.Open(pty.ComNumber(), 9600, 0));
    EXPECT_FALSE(second.IsOpen());
    first.Close();
    EXPECT_TRUE(PortExists(pty.ComNumber()));
    EXPECT_TRUE(second.Open(pty.ComNumber(), 9600, 0));
}

TEST_F(PtyChannelTest, EntriesThatAreNotSerialDevicesAreNeitherListedNorOpened) {
    const std::string regular = runtime.Path() + "/not-a-device";
    std::ofstream(regular) << "x";
    const struct {
        unsigned port;
        std::string target;
    } entries[] = {{20, regular}, {21, "/dev/null"}, {22, runtime.Path() + "/missing"}};
    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.target);
        ASSERT_EQ(symlink(entry.target.c_str(), platform::VirtualPortPath(entry.port).c_str()), 0);
        RecordingSerial serial;
        EXPECT_FALSE(PortExists(entry.port));
        EXPECT_FALSE(serial.Open(entry.port, 9600, 0));
        EXPECT_FALSE(serial.IsOpen());
    }
    for (unsigned port : {0u, 256u, 1000u}) {
        EXPECT_FALSE(PortExists(port));
    }
}

TEST_F(PtyChannelTest, UnpluggingEndsTheReaderOnceAndLeavesTheProcessIdle) {
    RecordingSerial serial;
    ASSERT_TRUE(serial.Open(pty.ComNumber(), 9600, 0));
    pty.Unplug();
    ASSERT_TRUE(serial.WaitForLost());
    const double before = ProcessCpuSeconds();
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    // A reader that kept waking on the hang-up would burn the whole half second.
    EXPECT_LT(ProcessCpuSeconds() - before, 0.1);
    EXPECT_TRUE(serial.IsOpen());  // held until the owner closes it
    const std::uint8_t request[25] = {};
    EXPECT_FALSE(serial.Send(request, sizeof request));
    EXPECT_TRUE(serial.Close());
}

TEST_F(PtyChannelTest, DestroyingAnEndpointWhileBytesArriveDeliversNothingAfterwards) {
    std::atomic<bool> feeding{true};
    std::thread feeder([&] {
        const Bytes frame = testing::ToBytes(testing::kDefaultWriteFrame);
        while (feeding) {
            pty.Write(frame);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    testing::NotificationQueue window;
    for (int round = 0; round < 10; ++round) {
        auto serial = std::make_unique<VeskSerial>();
        serial->SetNotify(window.Handle(), 0xC011);
        ASSERT_TRUE(serial->Open(pty.ComNumber(), 115200, 0));
        window.Next();
        serial.reset();  // ASan and TSan watch for delivery into the freed object
    }
    feeding = false;
    feeder.join();
}

}  // namespace
}  // namespace vesk
