#include "support/pty_module.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/com_port_map.h"

namespace vesk::testing {

PtyModule::PtyModule(unsigned comNumber) : port(comNumber) {
    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        Unplug();
        return;
    }
    mkdir(platform::VirtualPortDirectory().c_str(), 0700);
    linked = symlink(ptsname(master), platform::VirtualPortPath(port).c_str()) == 0;
}

PtyModule::~PtyModule() {
    Unplug();
    RemoveLink();
}

bool PtyModule::Write(const std::uint8_t* bytes, std::size_t count) {
    std::size_t done = 0;
    while (done < count && master >= 0) {
        const ssize_t put = write(master, bytes + done, count - done);
        if (put > 0) {
            done += static_cast<std::size_t>(put);
            continue;
        }
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put < 0 && errno != EAGAIN) {
            return false;
        }
        pollfd out{master, POLLOUT, 0};
        if (poll(&out, 1, 10000) <= 0) {
            return false;
        }
    }
    return done == count;
}

std::vector<std::uint8_t> PtyModule::Read(std::size_t count) {
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < count && master >= 0) {
        pollfd in{master, POLLIN, 0};
        if (poll(&in, 1, 5000) <= 0) {
            break;
        }
        std::uint8_t buffer[256];
        const ssize_t got = read(master, buffer, std::min(sizeof buffer, count - bytes.size()));
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
    return bytes;
}

void PtyModule::Unplug() {
    if (master >= 0) {
        close(master);
        master = -1;
    }
}

void PtyModule::RemoveLink() {
    if (linked) {
        unlink(platform::VirtualPortPath(port).c_str());
        linked = false;
    }
}

termios PtyModule::Settings() const {
    termios settings{};
    tcgetattr(master, &settings);
    return settings;
}

}  // namespace vesk::testing
