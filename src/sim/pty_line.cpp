#include "sim/pty_line.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/posix/termios_settings.h"

namespace vesk::sim {

std::optional<int> BaudFromSpeed(unsigned speed) {
    constexpr int kRates[] = {50,     75,      110,     134,     150,    200,    300,
                              600,    1200,    1800,    2400,    4800,   9600,   19200,
                              38400,  57600,   115200,  230400,  460800, 500000, 576000,
                              921600, 1000000, 1152000, 1500000, 2000000};
    for (int rate : kRates) {
        if (const auto constant = platform::SpeedConstant(rate); constant && *constant == speed) {
            return rate;
        }
    }
    return std::nullopt;
}

std::unique_ptr<PtyLine> PtyLine::Create(int initialBaud, std::string& error) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return nullptr;
    }
    char name[128];
    if (grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0 ||
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK) != 0) {
        error = std::string("cannot set up the pseudo-terminal: ") + std::strerror(errno);
        close(master);
        return nullptr;
    }
    const int slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0) {
        error = std::string("cannot open ") + name + ": " + std::strerror(errno);
        close(master);
        return nullptr;
    }
    // Raw, so nothing the module sends is echoed back to it before the PC
    // configures the port.
    termios settings{};
    const auto speed = platform::SpeedConstant(initialBaud);
    if (tcgetattr(slave, &settings) != 0 || !speed) {
        error = "cannot read the pseudo-terminal's settings";
        close(slave);
        close(master);
        return nullptr;
    }
    cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    cfsetispeed(&settings, *speed);
    cfsetospeed(&settings, *speed);
    if (tcsetattr(slave, TCSANOW, &settings) != 0) {
        error = std::string("cannot configure the pseudo-terminal: ") + std::strerror(errno);
        close(slave);
        close(master);
        return nullptr;
    }
    return std::unique_ptr<PtyLine>(new PtyLine(master, slave, name));
}

PtyLine::~PtyLine() {
    close(slave);
    close(master);
}

std::optional<int> PtyLine::PeerBaud() const {
    // A speed outside the known rates, or unreadable settings, matches no module speed.
    termios settings{};
    if (tcgetattr(master, &settings) != 0) {
        return 0;
    }
    return BaudFromSpeed(cfgetospeed(&settings)).value_or(0);
}

}  // namespace vesk::sim
