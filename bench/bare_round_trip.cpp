#include "bare_round_trip.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>

#include "bench_output.h"
#include "link/parameter_frame.h"
#include "platform/posix/termios_settings.h"

namespace vesk::bench {
namespace {

constexpr int kReplyLimitMs = 2000;

bool ExchangeOnce(int fd) {
    const Frame& request = ReadRequest();
    if (write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
        return false;
    }
    std::uint8_t reply[kFrameSize];
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
    std::vector<double> samples;
    for (unsigned i = 0; i < warmup + count; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!ExchangeOnce(fd)) {
            std::fprintf(stderr, "bare round trip: no reply to request %u\n", i);
            close(fd);
            return {};
        }
        if (i >= warmup) {
            samples.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
        }
    }
    close(fd);
    return samples;
}

}  // namespace vesk::bench
