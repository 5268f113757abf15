#include "sim/device_line.h"

#include <fcntl.h>
#include <sys/file.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/termios_settings.h"

namespace vesk::sim {

std::unique_ptr<DeviceLine> DeviceLine::Open(const std::string& path, int baud, std::uint8_t parity,
                                             std::string& error) {
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot open " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    if (!isatty(fd)) {
        error = path + " is not a serial port";
        close(fd);
        return nullptr;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        error = path + " is in use by another program";
        close(fd);
        return nullptr;
    }
    std::unique_ptr<DeviceLine> line(new DeviceLine(fd));
    if (!line->SetLineFormat(baud, parity)) {
        error = "cannot configure " + path + ": " + std::strerror(errno);
        return nullptr;
    }
    return line;
}

DeviceLine::~DeviceLine() {
    flock(fd, LOCK_UN);
    close(fd);
}

bool DeviceLine::SetLineFormat(int baud, std::uint8_t parity) {
    const auto settings = platform::BuildTermios(platform::LineSettings{baud, parity});
    return settings && tcsetattr(fd, TCSADRAIN, &*settings) == 0;
}

}  // namespace vesk::sim
