#include "sim/module_host.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "sim/frame_log.h"
#include "sim/module_speed.h"

namespace vesk::sim {
namespace {

constexpr std::size_t kReadSize = 4096;
// A real transmitter never waits for the far end: after this the rest is lost.
constexpr int kWriteTimeoutMs = 200;
// Without line time, --split still leaves a gap so each byte arrives in a read of its own.
constexpr auto kSplitGap = std::chrono::milliseconds(2);

}  // namespace

bool ModuleHost::StopRequested() const {
    pollfd entry{stop, POLLIN, 0};
    return poll(&entry, 1, 0) > 0;
}

ModuleHost::Clock::duration ModuleHost::CharacterTime() const {
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::nanoseconds(1'000'000'000LL * BitsPerCharacter(lineParity) / lineBaud));
}

bool ModuleHost::PauseUntil(Clock::time_point deadline) {
    for (;;) {
        const auto left = deadline - Clock::now();
        if (left <= Clock::duration::zero()) {
            return !StopRequested();
        }
        // Short waits sleep precisely; longer ones watch for a stop.
        if (left < std::chrono::milliseconds(2)) {
            timespec pause{0,
                           static_cast<long>(
                               std::chrono::duration_cast<std::chrono::nanoseconds>(left).count())};
            nanosleep(&pause, nullptr);
            continue;
        }
        pollfd entry{stop, POLLIN, 0};
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(left).count();
        if (poll(&entry, 1, static_cast<int>(ms)) > 0) {
            return false;
        }
    }
}

bool ModuleHost::WriteAll(const std::uint8_t* bytes, std::size_t count) {
    std::size_t sent = 0;
    while (sent < count) {
        const ssize_t n = write(line.Fd(), bytes + sent, count - sent);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && errno != EAGAIN) {
            std::fprintf(stderr, "vesk-sim: write failed: %s\n", std::strerror(errno));
            return false;
        }
        // The PC is not reading: wait a while, then let the rest go as a real line would.
        pollfd entries[2] = {{line.Fd(), POLLOUT, 0}, {stop, POLLIN, 0}};
        if (poll(entries, 2, kWriteTimeoutMs) <= 0 || (entries[0].revents & POLLOUT) == 0) {
            if (options.log) {
                std::fprintf(stderr, "vesk-sim: line full, %zu bytes not sent\n", count - sent);
            }
            return true;
        }
    }
    return true;
}

bool ModuleHost::Transmit(const std::vector<std::uint8_t>& bytes) {
    if (!options.lineTime && !options.split) {
        return WriteAll(bytes.data(), bytes.size());
    }
    const auto start = Clock::now();
    const auto characterTime = CharacterTime();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (!WriteAll(&bytes[i], 1)) {
            return false;
        }
        const auto next = options.lineTime ? start + characterTime * static_cast<long>(i + 1)
                                           : Clock::now() + kSplitGap;
        if (!PauseUntil(next)) {
            return true;  // stopping; the rest of the reply no longer matters
        }
    }
    return true;
}

bool ModuleHost::Answer(const Frame& reply, Clock::time_point requestEnd) {
    const Transmission out = faults.Apply(reply);
    if (options.mute || out.dropped) {
        if (options.log) {
            std::fprintf(stderr, "vesk-sim: out (none: %s)\n", options.mute ? "muted" : "dropped");
        }
        return true;
    }
    auto due = options.lineTime ? requestEnd : Clock::now();
    due += std::chrono::milliseconds(options.replyDelayMs);
    if (!PauseUntil(due)) {
        return true;
    }
    std::vector<std::uint8_t> bytes = out.noise;
    bytes.insert(bytes.end(), out.frame.begin(), out.frame.end());
    if (options.log) {
        if (!out.noise.empty()) {
            std::fprintf(stderr, "vesk-sim: noise %s\n",
                         HexBytes(out.noise.data(), out.noise.size()).c_str());
        }
        std::fprintf(stderr, "vesk-sim: out %s  %s%s\n",
                     HexBytes(out.frame.data(), out.frame.size()).c_str(),
                     DescribeFrame(out.frame).c_str(),
                     out.corrupted ? " (checksum corrupted)" : "");
    }
    return Transmit(bytes);
}

bool ModuleHost::OnInput(const std::uint8_t* bytes, std::size_t count) {
    const auto arrival = std::max(Clock::now(), receiveEnd);
    const auto characterTime = CharacterTime();
    receiveEnd = arrival + characterTime * static_cast<long>(count);

    std::size_t i = 0;
    while (i < count) {
        // Bytes sent at another speed are garbage to the module.
        const auto peer = line.PeerBaud();
        if (peer && *peer != lineBaud) {
            model.DiscardPartial();
            if (options.log) {
                std::fprintf(stderr, "vesk-sim: ignored %zu bytes: PC at %d baud, module at %d\n",
                             count - i, *peer, lineBaud);
            }
            return true;
        }
        for (; i < count; ++i) {
            const ModuleStep step = model.Feed(bytes[i]);
            if (step.verdict == Verdict::kNothing) {
                continue;
            }
            if (options.log) {
                const Frame& in = model.LastFrame();
                const bool isRead = in[offset::kCommand] == kCommandReadAll;
                std::fprintf(
                    stderr, "vesk-sim: in  %s  %s%s%s\n", HexBytes(in.data(), in.size()).c_str(),
                    isRead ? "read all" : DescribeFrame(in).c_str(),
                    step.reply ? "" : ", rejected: ", step.reply ? "" : VerdictName(step.verdict));
            }
            if (!step.reply) {
                continue;
            }
            if (!Answer(*step.reply, arrival + characterTime * static_cast<long>(i + 1))) {
                return false;
            }
            // The module switches its line only after its answer has gone.
            const int newBaud = model.LineBaud();
            const std::uint8_t newParity = model.LineParity();
            if (newBaud == lineBaud && newParity == lineParity) {
                continue;
            }
            if (!line.SetLineFormat(newBaud, newParity)) {
                std::fprintf(stderr, "vesk-sim: cannot switch the line to %d baud\n", newBaud);
                return false;
            }
            if (options.log) {
                std::fprintf(stderr, "vesk-sim: line now %d baud, parity %u\n", newBaud, newParity);
            }
            const bool speedChanged = newBaud != lineBaud;
            lineBaud = newBaud;
            lineParity = newParity;
            if (speedChanged) {
                ++i;
                break;  // the rest of the chunk meets the new speed
            }
        }
    }
    return true;
}

bool ModuleHost::Run() {
    std::uint8_t buffer[kReadSize];
    for (;;) {
        pollfd entries[2] = {{stop, POLLIN, 0}, {line.Fd(), POLLIN, 0}};
        // A stalled module no longer reads: the PC's bytes pile up in the line.
        const nfds_t count = options.stall ? 1 : 2;
        if (poll(entries, count, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            std::fprintf(stderr, "vesk-sim: poll failed: %s\n", std::strerror(errno));
            return false;
        }
        if (entries[0].revents != 0) {
            return true;
        }
        if (entries[1].revents == 0) {
            continue;
        }
        const ssize_t n = read(line.Fd(), buffer, sizeof buffer);
        if (n > 0) {
            if (!OnInput(buffer, static_cast<std::size_t>(n))) {
                return false;
            }
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        std::fprintf(stderr, "vesk-sim: the line went away%s%s\n", n < 0 ? ": " : "",
                     n < 0 ? std::strerror(errno) : "");
        return false;
    }
}

}  // namespace vesk::sim
