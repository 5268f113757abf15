#include "platform/posix/posix_serial_device.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

#include "platform/posix/termios_settings.h"

namespace vesk::platform {
namespace {

// Unix98 pseudo-terminal slaves: majors 136 to 143.
bool IsPseudoTerminal(int fd) {
    struct stat info {};
    return fstat(fd, &info) == 0 && major(info.st_rdev) >= 136 && major(info.st_rdev) <= 143;
}

// Many adapters wire DTR and RTS to the module's reset or mode pins, and Linux
// raises both on every open. Pseudo-terminals have no modem lines.
bool ClearModemLines(int fd) {
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (ioctl(fd, TIOCMBIC, &lines) == 0) {
        return true;
    }
    return (errno == ENOTTY || errno == EINVAL) && IsPseudoTerminal(fd);
}

bool IsHangUpError(int error) {
    return error == EIO || error == ENXIO || error == ENODEV;
}

}  // namespace

std::unique_ptr<PosixSerialDevice> PosixSerialDevice::OpenPath(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) {
        return nullptr;
    }
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    // The lock comes before any change to the line, so a busy port is left alone.
    if (!isatty(fd) || flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        return nullptr;
    }
    if ((ioctl(fd, TIOCEXCL) != 0 && errno != EINVAL && errno != ENOTTY) || !ClearModemLines(fd)) {
        close(fd);
        return nullptr;
    }
    const int stopFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopFd < 0) {
        close(fd);
        return nullptr;
    }
    return std::unique_ptr<PosixSerialDevice>(new PosixSerialDevice(fd, stopFd));
}

PosixSerialDevice::~PosixSerialDevice() {
    ioctl(fd, TIOCNXCL);
    flock(fd, LOCK_UN);
    close(fd);
    close(stopEvent);
}

bool PosixSerialDevice::Purge(unsigned purgeFlags) {
    const bool input = (purgeFlags & (kPurgeRxAbort | kPurgeRxClear)) != 0;
    const bool output = (purgeFlags & (kPurgeTxAbort | kPurgeTxClear)) != 0;
    if (!input && !output) {
        return true;
    }
    return tcflush(fd, input && output ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH)) == 0;
}

// poll() waits for input directly; there are no line events to select.
bool PosixSerialDevice::SetEventMask(unsigned) {
    return true;
}

// Reads never wait in the driver: BuildTermios sets VMIN and VTIME to 0 and the
// descriptor is non-blocking.
bool PosixSerialDevice::SetZeroTimeouts() {
    return true;
}

bool PosixSerialDevice::ApplyLineSettings(const LineSettings& settings) {
    const std::optional<termios> wanted = BuildTermios(settings);
    if (!wanted) {
        return false;
    }
    if (tcsetattr(fd, TCSANOW, &*wanted) == 0) {
        return true;
    }
    // A pseudo-terminal carries no parity: its driver clears the flag, and a
    // request that differs from the current settings only by parity is then
    // refused with EINVAL (a second Open with parity, say). Without parity the
    // line is the same there, so ask for that.
    if (errno != EINVAL || !IsPseudoTerminal(fd)) {
        return false;
    }
    termios withoutParity = *wanted;
    withoutParity.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD);
    withoutParity.c_iflag &= ~static_cast<tcflag_t>(INPCK);
    return tcsetattr(fd, TCSANOW, &withoutParity) == 0;
}

// The tty layer sizes its own buffers; reads and writes stay within 1024 bytes.
bool PosixSerialDevice::SetQueueSizes(std::size_t, std::size_t) {
    return true;
}

WaitResult PosixSerialDevice::WaitForInput() {
    pollfd fds[2] = {{stopEvent, POLLIN, 0}, {fd, POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) >= 0) {
            break;
        }
        if (errno != EINTR) {
            return WaitResult::kError;
        }
    }
    if (fds[0].revents != 0) {
        return WaitResult::kInterrupted;
    }
    if ((fds[1].revents & POLLIN) != 0) {
        return WaitResult::kDataReady;  // Read reports a hang-up that comes with data
    }
    return (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0 ? WaitResult::kHangUp
                                                                  : WaitResult::kError;
}

void PosixSerialDevice::InterruptWait() {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t written = write(stopEvent, &one, sizeof one);
}

IoResult PosixSerialDevice::Read(std::uint8_t* buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t got = read(fd, buffer, capacity);
        if (got > 0) {
            return {IoResult::kOk, static_cast<std::size_t>(got)};
        }
        if (got == 0) {
            return {IoResult::kHangUp, 0};
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return {IoResult::kWouldBlock, 0};
        }
        return {IsHangUpError(errno) ? IoResult::kHangUp : IoResult::kError, 0};
    }
}

IoResult PosixSerialDevice::Write(const std::uint8_t* data, std::size_t length, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::size_t written = 0;
    do {
        const ssize_t put = write(fd, data + written, length - written);
        if (put >= 0) {
            written += static_cast<std::size_t>(put);
            if (written == length) {
                break;
            }
        } else if (errno == EINTR) {
            continue;
        } else if (errno != EAGAIN && errno != EWOULDBLOCK) {
            return {IsHangUpError(errno) ? IoResult::kHangUp : IoResult::kError, written};
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return {IoResult::kTimedOut, written};
        }
        pollfd out{fd, POLLOUT, 0};
        if (poll(&out, 1, static_cast<int>(left.count())) < 0 && errno != EINTR) {
            return {IoResult::kError, written};
        }
        if ((out.revents & (POLLHUP | POLLERR)) != 0 && (out.revents & POLLOUT) == 0) {
            return {IoResult::kHangUp, written};
        }
    } while (written < length);
    return {IoResult::kOk, written};
}

}  // namespace vesk::platform
