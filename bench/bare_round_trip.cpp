#include "bare_round_trip.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "bench_output.h"
#include "link/parameter_frame.h"
#include "platform/posix/termios_settings.h"

namespace vesk::bench {
namespace {

constexpr int kReplyLimitMs = 2000;

// Reads exactly one frame's worth of bytes; false on a time-out or hang-up.
bool ReadFrame(int fd, std::uint8_t* reply) {
    std::size_t got = 0;
    while (got < kFrameSize) {
        pollfd entry{fd, POLLIN, 0};
        if (poll(&entry, 1, kReplyLimitMs) <= 0) {
            return false;
        }
        const ssize_t n = read(fd, reply + got, kFrameSize - got);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        got += static_cast<std::size_t>(n);
    }
    return true;
}

bool ExchangeOnce(int fd) {
    const Frame& request = ReadRequest();
    if (write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
        return false;
    }
    std::uint8_t reply[kFrameSize];
    return ReadFrame(fd, reply);
}

std::vector<double> TimedExchanges(int fd, unsigned warmup, unsigned count) {
    std::vector<double> samples;
    for (unsigned i = 0; i < warmup + count; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!ExchangeOnce(fd)) {
            std::fprintf(stderr, "bare round trip: no reply to request %u\n", i);
            return {};
        }
        if (i >= warmup) {
            samples.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
        }
    }
    return samples;
}

}  // namespace

std::vector<double> BareRoundTrips(const std::string& devicePath, int baud, unsigned warmup,
                                   unsigned count) {
    const int fd = open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const auto settings = platform::BuildTermios({baud, 0});
    if (fd < 0 || !settings || tcsetattr(fd, TCSANOW, &*settings) != 0) {
        std::fprintf(stderr, "bare round trip: cannot open %s\n", devicePath.c_str());
        if (fd >= 0) {
            close(fd);
        }
        return {};
    }
    tcflush(fd, TCIOFLUSH);
    std::vector<double> samples = TimedExchanges(fd, warmup, count);
    close(fd);
    return samples;
}

std::vector<double> PtyEchoRoundTrips(unsigned warmup, unsigned count) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        return {};
    }
    const int slave = open(ptsname(master), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const auto settings = platform::BuildTermios({9600, 0});
    if (slave < 0 || !settings || tcsetattr(slave, TCSANOW, &*settings) != 0 ||
        fcntl(master, F_SETFL, O_NONBLOCK) != 0) {
        close(master);
        return {};
    }
    // Echoes frame by frame until the slave closes and the master reads a hang-up.
    std::thread echo([master] {
        std::uint8_t frame[kFrameSize];
        while (ReadFrame(master, frame) &&
               write(master, frame, kFrameSize) == static_cast<ssize_t>(kFrameSize)) {
        }
    });
    std::vector<double> samples = TimedExchanges(slave, warmup, count);
    close(slave);
    echo.join();
    close(master);
    return samples;
}

}  // namespace vesk::bench
