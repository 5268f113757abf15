#include "platform/posix/termios_settings.h"

#include <utility>

namespace vesk::platform {
namespace {

constexpr std::pair<int, speed_t> kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

constexpr cc_t kStartChar = 0x13;
constexpr cc_t kStopChar = 0x19;

}  // namespace

std::optional<speed_t> SpeedConstant(int baud) {
    for (const auto& [rate, constant] : kSpeeds) {
        if (rate == baud) {
            return constant;
        }
    }
    return std::nullopt;
}

std::optional<termios> BuildTermios(const LineSettings& settings) {
    const std::optional<speed_t> speed = SpeedConstant(settings.baud);
    if (!speed || settings.parity < 0 || settings.parity > 2) {
        return std::nullopt;
    }
    termios t{};
    t.c_cflag = CS8 | CREAD | CLOCAL;
    if (settings.parity != 0) {
        t.c_cflag |= PARENB;
        t.c_iflag |= INPCK;
    }
    if (settings.parity == 1) {
        t.c_cflag |= PARODD;
    }
    t.c_cc[VSTART] = kStartChar;
    t.c_cc[VSTOP] = kStopChar;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    cfsetispeed(&t, *speed);
    cfsetospeed(&t, *speed);
    return t;
}

}  // namespace vesk::platform
