// Line settings mapped to termios, by table: speed, parity and the fixed raw 8-bit format.
#include "platform/posix/termios_settings.h"

#include <gtest/gtest.h>

namespace vesk::platform {
namespace {

TEST(TermiosSettingsTest, SpeedAndParityMapToTheirFlags) {
    const struct {
        int baud;
        int parity;
        speed_t speed;
        tcflag_t parityFlags;  // of PARENB | PARODD
        bool inputCheck;
    } cases[] = {
        {9600, 0, B9600, 0, false},           {1200, 1, B1200, PARENB | PARODD, true},
        {115200, 2, B115200, PARENB, true},   {57600, 0, B57600, 0, false},
        {4000000, 2, B4000000, PARENB, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.baud << " parity " << c.parity);
        const std::optional<termios> t = BuildTermios({c.baud, c.parity});
        ASSERT_TRUE(t);
        EXPECT_EQ(cfgetispeed(&*t), c.speed);
        EXPECT_EQ(cfgetospeed(&*t), c.speed);
        EXPECT_EQ(t->c_cflag & (PARENB | PARODD), c.parityFlags);
        EXPECT_EQ((t->c_iflag & INPCK) != 0, c.inputCheck);
    }
}

TEST(TermiosSettingsTest, EveryLineIsRaw8BitsOneStopWithoutFlowControl) {
    for (int parity = 0; parity <= 2; ++parity) {
        const std::optional<termios> t = BuildTermios({19200, parity});
        ASSERT_TRUE(t);
        EXPECT_EQ(t->c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(t->c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
        EXPECT_EQ(t->c_cflag & (CSTOPB | HUPCL | CRTSCTS), 0u);
        EXPECT_EQ(
            t->c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | ISTRIP | BRKINT | PARMRK),
            0u);
        EXPECT_EQ(t->c_oflag & OPOST, 0u);
        EXPECT_EQ(t->c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN), 0u);
        EXPECT_EQ(t->c_cc[VSTART], 0x13);
        EXPECT_EQ(t->c_cc[VSTOP], 0x19);
        EXPECT_EQ(t->c_cc[VMIN], 0);
        EXPECT_EQ(t->c_cc[VTIME], 0);
    }
}

TEST(TermiosSettingsTest, SpeedsTermiosCannotSetAndUnknownParitiesAreRefused) {
    const LineSettings refused[] = {{0, 0},      {9601, 0}, {-9600, 0},
                                    {250000, 0}, {9600, 3}, {9600, -1}};
    for (const LineSettings& settings : refused) {
        EXPECT_FALSE(BuildTermios(settings)) << settings.baud << " parity " << settings.parity;
    }
}

}  // namespace
}  // namespace vesk::platform
