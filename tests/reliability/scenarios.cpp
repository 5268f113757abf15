#include "reliability/scenarios.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <random>
#include <thread>

#include "link/notification_queue.h"
#include "link/parameter_frame.h"
#include "link/protocol_endpoint.h"
#include "link/reply_assembler.h"
#include "platform/com_port_map.h"
#include "platform/window_message.h"
#include "reliability/process_resources.h"
#include "support/pty_module.h"
#include "support/sim_process.h"

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define VESK_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define VESK_SANITIZED 1
#endif

namespace vesk::reliability {
namespace {

using Clock = std::chrono::steady_clock;
using testing::NotificationQueue;
using testing::SimProcess;

// Bounds for things that happen at once on an idle machine; only a fault
// waits them out.
constexpr auto kReplyWait = std::chrono::seconds(10);
// How long nothing must arrive to count as "nothing more came".
constexpr auto kQuietWait = std::chrono::milliseconds(300);
constexpr int kModuleBaud = 9600;  // vesk-sim's speed code 4
constexpr unsigned kPort = 7;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double SecondsSince(Clock::time_point start) {
    return MillisecondsSince(start) / 1000.0;
}

std::uint32_t ReplyMessage() {
    return platform::RegisterWindowMessage("QuondaSerial_MSG_RECV_1");
}

// The settings a reply to `command` carries once the module holds `stored`.
ModuleParams ExpectedReply(std::uint8_t command, const ModuleParams& stored) {
    return DecodeSettings(BuildFrame(command, stored).data());
}

// Whether a reply frame with these settings reaches the window at all: settings
// whose bytes hold AF AF or an early 0D 0A restart or close the frame, which
// is the framing every peer uses, not a fault of the line.
bool FrameSurvivesFraming(const ModuleParams& params) {
    ReplyAssembler assembler;
    const Frame frame = BuildFrame(kCommandReadAll, params);
    ReplyAssembler::Outcome last = ReplyAssembler::Outcome::kNone;
    int outcomes = 0;
    for (std::uint8_t byte : frame) {
        last = assembler.Feed(byte);
        outcomes += last != ReplyAssembler::Outcome::kNone;
    }
    return outcomes == 1 && last == ReplyAssembler::Outcome::kGoodFrame;
}

// Random settings the window could send, at the module's current speed.
ModuleParams RandomSettings(std::mt19937_64& random) {
    auto pick = [&](int low, int high) {
        return static_cast<std::uint8_t>(std::uniform_int_distribution<int>(low, high)(random));
    };
    for (;;) {
        ModuleParams params;
        params.baudCode = 4;
        params.parity = pick(0, 2);
        params.frequencyMHz = std::uniform_int_distribution<int>(0, 102399)(random) / 100.0;
        params.spreadingFactor = pick(7, 12);
        params.mode = pick(0, 2);
        params.bandwidthCode = pick(6, 9);
        params.nodeIdHigh = pick(0, 255);
        params.nodeIdLow = pick(0, 255);
        params.netId = pick(0, 255);
        params.power = pick(1, 7);
        params.breathIndex = pick(0, 4);
        params.wakeIndex = pick(0, 5);
        if (FrameSurvivesFraming(params)) {
            return params;
        }
    }
}

// One request/reply exchange on an open endpoint.
enum class Answer { kGood, kWrongSettings, kBadChecksum, kMissing, kSendFailed };

Answer RoundTrip(VeskSerial& serial, NotificationQueue& window, const ModuleParams* write,
                 const ModuleParams& expected) {
    if (!(write != nullptr ? serial.WriteAll(write) : serial.ReadAll())) {
        return Answer::kSendFailed;
    }
    const auto posted = window.Next(kReplyWait);
    if (!posted || posted->wParam == VeskSerial::kPortLost) {
        return Answer::kMissing;
    }
    if (posted->wParam == VeskSerial::kReplyBadChecksum) {
        return Answer::kBadChecksum;
    }
    return serial.LastReply() == expected ? Answer::kGood : Answer::kWrongSettings;
}

int DrainNotifications(NotificationQueue& window) {
    int count = 0;
    while (window.Next(kQuietWait)) {
        ++count;
    }
    return count;
}

// Waits for the port-lost notification, then idles and counts what else comes.
void WatchUnplug(NotificationQueue& window, Clock::time_point unplugged, UnplugFigures& figures) {
    for (auto posted = window.Next(kReplyWait); posted; posted = window.Next(kQuietWait)) {
        if (posted->wParam == VeskSerial::kPortLost) {
            if (figures.portLost++ == 0) {
                figures.lostAfterMs = MillisecondsSince(unplugged);
            }
        } else {
            ++figures.otherNotifications;
        }
    }
    const double cpuBefore = testing::ProcessCpuSeconds();
    const auto idleStart = Clock::now();
    // A reader that kept waking on the hang-up would burn this whole time.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    figures.idleCpuSeconds = testing::ProcessCpuSeconds() - cpuBefore;
    figures.idleSeconds = SecondsSince(idleStart);
    figures.portLost += static_cast<int>(window.Pending());
}

bool AnsweredAfterReopen(VeskSerial& serial, NotificationQueue& window) {
    if (!serial.ReadAll()) {
        return false;
    }
    const auto posted = window.Next(kReplyWait);
    return posted && posted->wParam == VeskSerial::kReplyGood;
}

}  // namespace

int SanitizerSlowdown() {
#ifdef VESK_SANITIZED
    return 10;
#else
    return 1;
#endif
}

RoundTripFigures RunRoundTrips(const RoundTripRun& run) {
    RoundTripFigures figures;
    testing::ScopedRuntimeDir runtime;
    std::vector<std::string> args = run.simArgs;
    args.insert(args.end(), {"--seed", std::to_string(run.seed)});
    auto sim = SimProcess::Start(args);
    NotificationQueue window;
    VeskSerial serial;
    serial.SetNotify(window.Handle(), ReplyMessage());
    if (!sim || !serial.Open(sim->ComNumber(), kModuleBaud, 0)) {
        return figures;
    }
    figures.started = true;
    std::mt19937_64 random(run.seed);
    ModuleParams stored;
    auto exchange = [&](bool write) {
        const auto sent = Clock::now();
        const Answer answer =
            RoundTrip(serial, window, write ? &stored : nullptr,
                      ExpectedReply(write ? kCommandWriteAll : kCommandReadAll, stored));
        figures.slowestReplyMs = std::max(figures.slowestReplyMs, MillisecondsSince(sent));
        ++figures.requests;
        switch (answer) {
            case Answer::kGood:
                ++figures.good;
                break;
            case Answer::kWrongSettings:
                ++figures.wrongSettings;
                break;
            case Answer::kBadChecksum:
                ++figures.badChecksum;
                break;
            case Answer::kMissing:
                ++figures.missing;
                break;
            case Answer::kSendFailed:
                ++figures.sendFailures;
                break;
        }
    };
    const auto start = Clock::now();
    for (int i = 0; i < run.reads; ++i) {
        if (i == 0 || (run.writeEvery > 0 && i % run.writeEvery == 0)) {
            stored = RandomSettings(random);
            ++figures.writes;
            exchange(true);
        }
        exchange(false);
    }
    figures.seconds = SecondsSince(start);
    figures.unexpected = DrainNotifications(window);
    return figures;
}

CycleFigures RunOpenCloseCycles(int cycles) {
    CycleFigures figures;
    testing::ScopedRuntimeDir runtime;
    auto sim = SimProcess::Start({"--no-line-time"});
    if (!sim) {
        return figures;
    }
    figures.started = true;
    NotificationQueue window;
    VeskSerial serial;
    serial.SetNotify(window.Handle(), ReplyMessage());
    auto cycle = [&] {
        if (!serial.Open(sim->ComNumber(), kModuleBaud, 0)) {
            ++figures.failedOpens;
            return;
        }
        const auto posted = serial.ReadAll() ? window.Next(kReplyWait) : std::nullopt;
        if (!posted || posted->wParam != VeskSerial::kReplyGood) {
            ++figures.missingReplies;
        }
        serial.Close();
    };
    // One cycle first: a sanitizer runtime starts a thread of its own with the first thread.
    cycle();
    figures.descriptorsBefore = testing::OpenDescriptorCount();
    figures.threadsBefore = testing::ThreadCount();
    const auto start = Clock::now();
    for (int i = 0; i < cycles; ++i) {
        ++figures.cycles;
        cycle();
    }
    figures.seconds = SecondsSince(start);
    figures.descriptorsAfter = testing::OpenDescriptorCount();
    figures.threadsAfter = testing::ThreadCount();
    return figures;
}

UnplugFigures RunUnplug(UnplugWay way, bool requestOutstanding) {
    UnplugFigures figures;
    testing::ScopedRuntimeDir runtime;
    NotificationQueue window;
    VeskSerial serial;
    serial.SetNotify(window.Handle(), ReplyMessage());
    std::unique_ptr<testing::PtyModule> pty;
    std::unique_ptr<SimProcess> sim;
    if (way == UnplugWay::kCloseMaster) {
        pty = std::make_unique<testing::PtyModule>(kPort);
        if (!pty->IsReady()) {
            return figures;
        }
    } else {
        // A reply delay keeps a request outstanding long enough to pull the plug on it.
        sim = SimProcess::Start({"--com", std::to_string(kPort), "--no-line-time", "--reply-delay",
                                 requestOutstanding ? "5000" : "0"});
        if (!sim) {
            return figures;
        }
    }
    if (!serial.Open(kPort, kModuleBaud, 0)) {
        return figures;
    }
    figures.started = true;
    figures.requestSent = serial.ReadAll();
    if (pty) {
        // The request has reached the module once its bytes can be read there.
        figures.requestSent = figures.requestSent && pty->Read(kFrameSize).size() == kFrameSize;
        if (!requestOutstanding) {
            const Frame reply = BuildFrame(kCommandReadAll, ModuleParams{});
            figures.requestSent = figures.requestSent && pty->Write(reply.data(), reply.size());
        }
    }
    if (!requestOutstanding) {
        const auto posted = window.Next(kReplyWait);
        figures.requestSent = figures.requestSent && posted && posted->wParam == 0;
    }

    const auto unplugged = Clock::now();
    if (pty) {
        pty->Unplug();
    } else {
        sim->Kill(SIGKILL);
    }
    WatchUnplug(window, unplugged, figures);
    figures.sendRefused = !serial.ReadAll();
    serial.Close();

    // The adapter's device node goes with it; a killed simulator leaves its link behind.
    if (pty) {
        pty->RemoveLink();
    } else {
        sim->Stop();
        unlink(platform::VirtualPortPath(kPort).c_str());
    }
    auto comeback = SimProcess::Start({"--com", std::to_string(kPort), "--no-line-time"});
    figures.reopened = comeback && serial.Open(kPort, kModuleBaud, 0);
    figures.answeredAfterReopen = figures.reopened && AnsweredAfterReopen(serial, window);
    serial.Close();
    return figures;
}

StallFigures RunStalledWrites(int requests) {
    StallFigures figures;
    testing::ScopedRuntimeDir runtime;
    auto sim = SimProcess::Start({"--no-line-time", "--stall"});
    NotificationQueue window;
    VeskSerial serial;
    serial.SetNotify(window.Handle(), ReplyMessage());
    if (!sim || !serial.Open(sim->ComNumber(), kModuleBaud, 0)) {
        return figures;
    }
    figures.started = true;
    const auto start = Clock::now();
    for (int i = 0; i < requests; ++i) {
        const auto sent = Clock::now();
        if (serial.ReadAll()) {
            ++figures.acceptedRequests;
        } else {
            ++figures.refusedRequests;
        }
        figures.slowestSendSeconds = std::max(figures.slowestSendSeconds, SecondsSince(sent));
    }
    figures.requestsSeconds = SecondsSince(start);

    // Larger than the line holds, so some of its chunks meet a full line.
    const std::vector<std::uint8_t> block(64 * 1024, 0x55);
    figures.blockBytes = block.size();
    const auto blockStart = Clock::now();
    figures.blockAccepted = serial.Send(block.data(), block.size());
    figures.blockSendSeconds = SecondsSince(blockStart);

    figures.notifications = DrainNotifications(window);
    const auto closing = Clock::now();
    serial.Close();
    figures.closeMs = MillisecondsSince(closing);
    return figures;
}

GarbageFigures RunGarbage(std::size_t bytes, std::uint64_t seed, bool framingHeavy) {
    GarbageFigures figures;
    testing::ScopedRuntimeDir runtime;
    testing::PtyModule pty(kPort);
    NotificationQueue window;
    VeskSerial serial;
    serial.SetNotify(window.Handle(), ReplyMessage());
    if (!pty.IsReady() || !serial.Open(kPort, 115200, 0)) {
        return figures;
    }
    figures.started = true;
    figures.bytes = bytes;

    std::mt19937_64 random(seed);
    std::vector<std::uint8_t> garbage(bytes);
    constexpr std::uint8_t kFramingBytes[] = {0xAF, 0x0D, 0x0A};
    for (auto& byte : garbage) {
        const std::uint64_t draw = random();
        byte = framingHeavy && (draw & 0x100) != 0 ? kFramingBytes[(draw >> 9) % 3]
                                                   : static_cast<std::uint8_t>(draw);
    }
    ModuleParams settings = RandomSettings(random);
    const Frame reply = BuildFrame(kCommandReadAll, settings);
    garbage.push_back(
        0x00);  // a byte of idle line: a lone 0xAF at the end cannot pair with the reply
    garbage.insert(garbage.end(), reply.begin(), reply.end());

    std::vector<std::uintptr_t> expected;
    ReplyAssembler reference;
    for (std::uint8_t byte : garbage) {
        switch (reference.Feed(byte)) {
            case ReplyAssembler::Outcome::kGoodFrame:
                expected.push_back(VeskSerial::kReplyGood);
                break;
            case ReplyAssembler::Outcome::kBadChecksum:
                expected.push_back(VeskSerial::kReplyBadChecksum);
                break;
            case ReplyAssembler::Outcome::kNone:
                break;
        }
    }
    figures.referenceGood =
        static_cast<int>(std::count(expected.begin(), expected.end() - 1, VeskSerial::kReplyGood));
    figures.referenceBad = static_cast<int>(expected.size()) - 1 - figures.referenceGood;

    const long residentBefore = static_cast<long>(testing::ResidentKiB());
    const auto start = Clock::now();
    const bool written = pty.Write(garbage);
    std::vector<std::uintptr_t> posted;
    while (written && posted.size() < expected.size()) {
        const auto next = window.Next(kReplyWait);
        if (!next) {
            break;
        }
        posted.push_back(next->wParam);
    }
    figures.seconds = SecondsSince(start);
    figures.residentGrowthKiB = static_cast<long>(testing::ResidentKiB()) - residentBefore;
    figures.notificationsMatch = posted == expected && DrainNotifications(window) == 0;
    figures.finalReplyDecoded = !posted.empty() && posted.back() == VeskSerial::kReplyGood &&
                                serial.LastReply() == ExpectedReply(kCommandReadAll, settings);
    return figures;
}

WrongSpeedFigures RunWrongSpeed(int pcBaud, int requests) {
    WrongSpeedFigures figures;
    testing::ScopedRuntimeDir runtime;
    auto sim = SimProcess::Start({"--no-line-time"});
    NotificationQueue window;
    VeskSerial serial;
    serial.SetNotify(window.Handle(), ReplyMessage());
    if (!sim || !serial.Open(sim->ComNumber(), pcBaud, 0)) {
        return figures;
    }
    figures.started = true;
    for (int i = 0; i < requests; ++i) {
        figures.requests += serial.ReadAll();
        while (const auto posted = window.Next(kQuietWait)) {
            if (posted->wParam == VeskSerial::kReplyGood) {
                ++figures.good;
            } else {
                ++figures.otherNotifications;
            }
        }
    }
    figures.answeredAtRightSpeed = serial.Configure(sim->ComNumber(), kModuleBaud, 0) &&
                                   AnsweredAfterReopen(serial, window) &&
                                   DrainNotifications(window) == 0;
    return figures;
}

ContentionFigures RunContention() {
    ContentionFigures figures;
    testing::ScopedRuntimeDir runtime;
    auto sim = SimProcess::Start({"--no-line-time"});
    int ready[2], release[2];
    if (!sim || pipe2(ready, O_CLOEXEC) != 0) {
        return figures;
    }
    if (pipe2(release, O_CLOEXEC) != 0) {
        close(ready[0]);
        close(ready[1]);
        return figures;
    }
    const std::string device = sim->DevicePath();
    const pid_t holder = fork();
    if (holder == 0) {
        // Another program: takes the lock, says so, holds it until released.
        close(ready[0]);
        close(release[1]);
        const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        const char locked = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? 'y' : 'n';
        [[maybe_unused]] ssize_t put = write(ready[1], &locked, 1);
        char ignored = 0;
        [[maybe_unused]] ssize_t got = read(release[0], &ignored, 1);
        _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    char locked = 'n';
    figures.started = holder > 0 && read(ready[0], &locked, 1) == 1;
    figures.holderLocked = locked == 'y';
    close(ready[0]);

    VeskSerial serial;
    const unsigned port = sim->ComNumber();
    figures.listedWhileHeld = PortExists(port);
    figures.openedWhileHeld = serial.Open(port, kModuleBaud, 0);
    serial.Close();

    close(release[1]);
    if (holder > 0) {
        waitpid(holder, nullptr, 0);
    }
    figures.listedAfter = PortExists(port);
    figures.openedAfter = serial.Open(port, kModuleBaud, 0);
    return figures;
}

}  // namespace vesk::reliability
