// CXSerial over the fake device seam: set-up order, failure semantics,
// Configure, Send chunking and retries, delivery of received bytes, hang-up.
#include "link/serial_channel.h"

#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <string>
#include <vector>

#include "link/fake_serial_backend.h"
#include "link/recording_serial.h"

namespace vesk {
namespace {

using testing::FakeSerialBackend;
using Strings = std::vector<std::string>;

using testing::RecordingSerial;

const Strings kOpenCalls = {"Open 3",
                            "Purge 15",
                            "SetEventMask 105",
                            "SetZeroTimeouts",
                            "ApplyLineSettings 9600 0",
                            "SetQueueSizes 1024 1024"};

class SerialChannelTest : public ::testing::Test {
  protected:
    FakeSerialBackend backend;
    RecordingSerial serial{backend};
};

TEST_F(SerialChannelTest, OpenMakesTheSetUpCallsInOrderThenPurgesForTheReader) {
    ASSERT_TRUE(serial.Open(3, 9600, 0));
    Strings expected = kOpenCalls;
    expected.push_back("Purge 15");
    EXPECT_EQ(backend.Calls(), expected);
    EXPECT_TRUE(serial.IsOpen());
}

TEST_F(SerialChannelTest, AFailingSetUpCallStopsOpenAndReleasesThePort) {
    const struct {
        const char* failing;
        std::size_t callsMade;
    } cases[] = {{"SetEventMask", 3},
                 {"SetZeroTimeouts", 4},
                 {"ApplyLineSettings", 5},
                 {"SetQueueSizes", 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failing);
        backend.ClearRecord();
        backend.FailCall(c.failing);
        EXPECT_FALSE(serial.Open(3, 9600, 0));
        EXPECT_FALSE(serial.IsOpen());
        EXPECT_EQ(backend.OpenDevices(), 0);
        Strings expected(kOpenCalls.begin(), kOpenCalls.begin() + static_cast<long>(c.callsMade));
        expected.push_back("Release");
        EXPECT_EQ(backend.Calls(), expected);
    }
}

TEST_F(SerialChannelTest, AFailingFirstPurgeDoesNotMatter) {
    backend.FailCall("Purge");
    EXPECT_TRUE(serial.Open(3, 9600, 0));
    EXPECT_TRUE(serial.IsOpen());
}

TEST_F(SerialChannelTest, OpenFailsCleanlyForAnAbsentPort) {
    for (unsigned port : {0u, 5u, 256u}) {
        EXPECT_FALSE(serial.Open(port, 9600, 0)) << port;
        EXPECT_FALSE(serial.IsOpen());
    }
}

TEST_F(SerialChannelTest, ConfigureOnTheSamePortOnlyChangesTheLineSettings) {
    ASSERT_TRUE(serial.Open(3, 9600, 0));
    backend.ClearRecord();
    EXPECT_TRUE(serial.Configure(3, 19200, 2));
    EXPECT_EQ(backend.Calls(), Strings{"ApplyLineSettings 19200 2"});
    EXPECT_TRUE(serial.IsOpen());
    EXPECT_EQ(serial.Parity(), 2);
    EXPECT_EQ(serial.BaudRate(), 9600);  // the speed of the last Open
}

TEST_F(SerialChannelTest, ConfigureOnAnotherPortClosesTheFirstAndOpensTheSecond) {
    ASSERT_TRUE(serial.Open(3, 9600, 0));
    backend.ClearRecord();
    EXPECT_TRUE(serial.Configure(4, 9600, 0));
    EXPECT_EQ(backend.Calls().at(0), "Release");
    EXPECT_EQ(backend.Calls().at(1), "Open 4");
    EXPECT_EQ(serial.PortNumber(), 4u);
    EXPECT_EQ(backend.OpenDevices(), 1);
}

TEST_F(SerialChannelTest, SetLineFormatOnAClosedPortFailsAndStoresNothing) {
    EXPECT_FALSE(serial.SetLineFormat(19200, 1));
    EXPECT_EQ(serial.Parity(), 0);
    EXPECT_TRUE(backend.Calls().empty());
}

TEST_F(SerialChannelTest, CloseOnAClosedPortReturnsTrueAndDoesNothing) {
    EXPECT_TRUE(serial.Close());
    EXPECT_TRUE(backend.Calls().empty());
}

TEST_F(SerialChannelTest, SendWritesChunksOfAtMost1024Bytes) {
    ASSERT_TRUE(serial.Open(3, 9600, 0));
    const struct {
        std::size_t length;
        std::vector<std::size_t> chunks;
    } cases[] = {{3000, {1024, 1024, 952}}, {1024, {1024}}, {25, {25}}, {0, {0}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.length);
        backend.ClearRecord();
        std::vector<std::uint8_t> data(c.length);
        for (std::size_t i = 0; i < data.size(); ++i) {
            data[i] = static_cast<std::uint8_t>(i * 7);
        }
        EXPECT_TRUE(serial.Send(data.data(), data.size()));
        EXPECT_EQ(backend.Chunks(), c.chunks);
        EXPECT_EQ(backend.Written(), data);
    }
}

TEST_F(SerialChannelTest, SendOnAClosedPortFailsAndWritesNothing) {
    const std::uint8_t data[25] = {};
    EXPECT_FALSE(serial.Send(data, sizeof data));
    EXPECT_TRUE(backend.Chunks().empty());
}

TEST_F(SerialChannelTest, SendRetriesAFailedChunkWithinItsBoundAndFailsOnATimeOut) {
    ASSERT_TRUE(serial.Open(3, 9600, 0));
    const std::uint8_t data[25] = {1, 2, 3};
    const int attempts = 1 + CXSerial::kMaxRetries;
    const struct {
        const char* description;
        int timeouts;
        int errors;
        bool result;
        int writes;
        int purges;
    } cases[] = {
        {"a time-out purges the output and fails at once", 1, 0, false, 1, 1},
        {"write errors are retried without a purge", 0, 2, true, 3, 0},
        {"an error on every attempt fails", 0, attempts, false, attempts, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.description);
        backend.ClearRecord();
        backend.TimeOutNextWrites(c.timeouts);
        backend.FailNextWrites(c.errors);
        EXPECT_EQ(serial.Send(data, sizeof data), c.result);
        int writes = 0, purges = 0;
        for (const std::string& call : backend.Calls()) {
            writes += call == "Write 25";
            purges += call == "Purge 4";
        }
        EXPECT_EQ(writes, c.writes);
        EXPECT_EQ(purges, c.purges);
        EXPECT_EQ(backend.Written().size(), c.result ? 25u : 0u);
        backend.TimeOutNextWrites(0);
        backend.FailNextWrites(0);
    }
}

TEST_F(SerialChannelTest, SendGivesUpAtOnceWhenTheDeviceHungUp) {
    ASSERT_TRUE(serial.Open(3, 9600, 0));
    backend.HangUpWrites();
    const std::uint8_t data[25] = {};
    EXPECT_FALSE(serial.Send(data, sizeof data));
    EXPECT_EQ(backend.Chunks().size(), 1u);
}

TEST_F(SerialChannelTest, ReceivedBytesReachOnByteInArrivalOrder) {
    ASSERT_TRUE(serial.Open(3, 9600, 0));
    std::mt19937 random(3);
    std::vector<std::uint8_t> all;
    for (int part = 0; part < 200; ++part) {
        std::vector<std::uint8_t> chunk(random() % 40 + 1);
        for (auto& byte : chunk) {
            byte = static_cast<std::uint8_t>(random());
        }
        all.insert(all.end(), chunk.begin(), chunk.end());
        backend.Inject(chunk);
    }
    EXPECT_EQ(serial.WaitForBytes(all.size()), all);
}

TEST_F(SerialChannelTest, AHangUpEndsTheReaderOnceAndKeepsThePortUntilClose) {
    ASSERT_TRUE(serial.Open(3, 9600, 0));
    backend.HangUp();
    ASSERT_TRUE(serial.WaitForLost());
    EXPECT_TRUE(serial.IsOpen());
    EXPECT_EQ(backend.OpenDevices(), 1);
    EXPECT_TRUE(serial.Close());
    EXPECT_EQ(serial.LostCount(), 1);
    EXPECT_FALSE(serial.IsOpen());
    EXPECT_EQ(backend.OpenDevices(), 0);
}

TEST(SerialChannelLifetimeTest, DestroyingAnOpenChannelWhileBytesArriveStopsDeliveryFirst) {
    FakeSerialBackend backend;
    std::atomic<bool> feeding{true};
    std::thread feeder([&] {
        while (feeding) {
            backend.Inject({0x55, 0xAF, 0x0A});
            std::this_thread::yield();
        }
    });
    for (int round = 0; round < 20; ++round) {
        auto serial = std::make_unique<RecordingSerial>(backend);
        ASSERT_TRUE(serial->Open(3, 9600, 0));
        serial->WaitForBytes(1);
        serial.reset();  // ASan and TSan watch for a byte reaching the freed object
    }
    feeding = false;
    feeder.join();
    EXPECT_EQ(backend.OpenDevices(), 0);
}

}  // namespace
}  // namespace vesk
