// VeskSerial over the fake device: the requests it writes, the notifications
// and reply it gives for received frames, and the port-lost notification.
#include "link/protocol_endpoint.h"

#include <gtest/gtest.h>

#include "link/fake_serial_backend.h"
#include "link/frame_fixtures.h"
#include "link/notification_queue.h"

namespace vesk {
namespace {

using testing::Bytes;

class ProtocolEndpointTest : public ::testing::Test {
  protected:
    void SetUp() override { serial.SetNotify(window.Handle(), kMessage); }

    ModuleParams DecodedDefault() {
        ModuleParams params = testing::WindowDefaults();
        params.command = 1;
        return params;
    }

    static constexpr std::uint32_t kMessage = 0xC123;
    testing::FakeSerialBackend backend;
    testing::NotificationQueue window;
    VeskSerial serial{backend};
};

TEST_F(ProtocolEndpointTest, RequestsOnAClosedPortOrWithoutARecordSendNothing) {
    const ModuleParams params = testing::WindowDefaults();
    EXPECT_FALSE(serial.ReadAll());
    EXPECT_FALSE(serial.WriteAll(&params));
    ASSERT_TRUE(serial.Open(1, 9600, 0));
    EXPECT_FALSE(serial.WriteAll(nullptr));
    EXPECT_TRUE(backend.Written().empty());
}

TEST_F(ProtocolEndpointTest, ReadAllAndWriteAllWriteTheirFrames) {
    ASSERT_TRUE(serial.Open(1, 9600, 0));
    const ModuleParams params = testing::WindowDefaults();
    EXPECT_TRUE(serial.ReadAll());
    EXPECT_TRUE(serial.WriteAll(&params));
    Bytes expected = testing::ToBytes(ReadRequest());
    const Bytes write = testing::ToBytes(testing::kDefaultWriteFrame);
    expected.insert(expected.end(), write.begin(), write.end());
    EXPECT_EQ(backend.Written(), expected);
}

TEST_F(ProtocolEndpointTest, AFrameSplitAtAnyByteGivesOneGoodReply) {
    ASSERT_TRUE(serial.Open(1, 9600, 0));
    const Bytes frame = testing::ToBytes(testing::kDefaultWriteFrame);
    for (std::size_t split = 1; split < frame.size(); ++split) {
        SCOPED_TRACE(split);
        backend.Inject(Bytes(frame.begin(), frame.begin() + static_cast<long>(split)));
        backend.Inject(Bytes(frame.begin() + static_cast<long>(split), frame.end()));
        const auto posted = window.Next();
        ASSERT_TRUE(posted);
        EXPECT_EQ(posted->message, kMessage);
        EXPECT_EQ(posted->wParam, VeskSerial::kReplyGood);
        EXPECT_EQ(serial.LastReply(), DecodedDefault());
    }
    EXPECT_EQ(window.Pending(), 0u);
}

TEST_F(ProtocolEndpointTest, AChecksumMismatchIsNotifiedAndLeavesTheReply) {
    ASSERT_TRUE(serial.Open(1, 9600, 0));
    backend.Inject(testing::ToBytes(testing::kDefaultWriteFrame));
    ASSERT_EQ(window.Next()->wParam, VeskSerial::kReplyGood);
    Bytes damaged = testing::ToBytes(BuildFrame(2, ModuleParams{}));
    damaged[22] ^= 0xFF;
    backend.Inject(damaged);
    ASSERT_EQ(window.Next()->wParam, VeskSerial::kReplyBadChecksum);
    EXPECT_EQ(serial.LastReply(), DecodedDefault());
}

TEST_F(ProtocolEndpointTest, WithoutAWindowAGoodFrameStillUpdatesTheReply) {
    serial.SetNotify(0, kMessage);
    ASSERT_TRUE(serial.Open(1, 9600, 0));
    backend.Inject(testing::ToBytes(testing::kDefaultWriteFrame));
    backend.HangUp();  // the reader has handled every byte once it reports the loss
    EXPECT_FALSE(window.Next(std::chrono::milliseconds(200)));
    serial.Close();
    EXPECT_EQ(serial.LastReply(), DecodedDefault());
}

TEST_F(ProtocolEndpointTest, AHangUpIsNotifiedOnceAsPortLost) {
    ASSERT_TRUE(serial.Open(1, 9600, 0));
    backend.HangUp();
    const auto posted = window.Next();
    ASSERT_TRUE(posted);
    EXPECT_EQ(posted->wParam, VeskSerial::kPortLost);
    serial.Close();
    EXPECT_EQ(window.Pending(), 0u);
}

}  // namespace
}  // namespace vesk
