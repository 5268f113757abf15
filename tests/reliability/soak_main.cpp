// The reliability scenarios at full size, printed as the Markdown sections of
// docs/reliability.md. Exits 1 when any scenario lost, invented or hung on
// something, so scripts/soak fails with it.
//   reliability-soak [--reads N] [--cycles N] [--unplugs N] [--garbage-bytes N] [--seed N]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "reliability/scenarios.h"

namespace vesk::reliability {
namespace {

struct SoakOptions {
    int reads = 10000;
    int cycles = 1000;
    int unplugs = 10;  // repetitions of each unplug case
    long garbageBytes = 16L << 20;
    unsigned long seed = 1;
};

bool failed = false;

const char* Verdict(bool good) {
    if (!good) {
        failed = true;
    }
    return good ? "yes" : "**NO**";
}

std::string Join(const std::vector<std::string>& words) {
    std::string joined;
    for (const std::string& word : words) {
        joined += (joined.empty() ? "" : " ") + word;
    }
    return joined;
}

void LongRuns(const SoakOptions& options) {
    std::printf("## Long runs\n\n");
    std::printf(
        "Read All round trips through `VeskSerial` against vesk-sim; a Write All of new random\n"
        "settings before the first read and every 100th, and every reply checked against the\n"
        "settings last written.\n\n");
    std::printf(
        "| vesk-sim options | reads | writes | good | damaged (reported) | missing | wrong "
        "settings | unexpected | seconds | slowest reply ms | nothing lost or invented |\n");
    std::printf("|---|---|---|---|---|---|---|---|---|---|---|\n");
    const std::vector<std::vector<std::string>> runs = {
        {"--no-line-time", "--noise", "0.05", "--split"},
        {"--no-line-time", "--noise", "0.05", "--corrupt", "0.05"},
        {"--noise", "0.05"},  // with the wire time of every byte at 9600 baud
    };
    for (std::size_t i = 0; i < runs.size(); ++i) {
        // The run at line speed takes about 60 ms a round trip: a tenth of the count.
        const int reads = i == 2 ? std::max(1, options.reads / 10) : options.reads;
        const RoundTripFigures f = RunRoundTrips({runs[i], reads, 100, options.seed});
        const bool sound = f.started && f.missing == 0 && f.wrongSettings == 0 &&
                           f.unexpected == 0 && f.sendFailures == 0 &&
                           f.good + f.badChecksum == f.requests;
        std::printf("| `%s --seed %lu` | %d | %d | %d | %d | %d | %d | %d | %.2f | %.1f | %s |\n",
                    Join(runs[i]).c_str(), options.seed, f.requests - f.writes, f.writes, f.good,
                    f.badChecksum, f.missing, f.wrongSettings, f.unexpected, f.seconds,
                    f.slowestReplyMs, Verdict(sound));
    }
    std::printf("\n");
}

void Cycles(const SoakOptions& options) {
    std::printf("## Open/close cycling\n\n");
    const CycleFigures f = RunOpenCloseCycles(options.cycles);
    const bool sound = f.started && f.failedOpens == 0 && f.missingReplies == 0 &&
                       f.descriptorsAfter == f.descriptorsBefore &&
                       f.threadsAfter == f.threadsBefore;
    std::printf(
        "| cycles (Open, Read All, reply, Close) | failed opens | missing replies | descriptors "
        "before / after | threads before / after | seconds | nothing left behind |\n");
    std::printf("|---|---|---|---|---|---|---|\n");
    std::printf("| %d | %d | %d | %zu / %zu | %zu / %zu | %.2f | %s |\n\n", f.cycles, f.failedOpens,
                f.missingReplies, f.descriptorsBefore, f.descriptorsAfter, f.threadsBefore,
                f.threadsAfter, f.seconds, Verdict(sound));
}

void Unplugs(const SoakOptions& options) {
    std::printf("## Unplugging\n\n");
    std::printf(
        "Each case %d times. \"Reader ended\" is the time from the unplug to the port-lost\n"
        "notification, which the reader posts as it ends; the idle CPU is the process's over the\n"
        "half second after it.\n\n",
        options.unplugs);
    std::printf(
        "| case | port lost posted once | other notifications | reader ended, worst ms | idle "
        "CPU, worst %% | later Read All refused | reopened and answered | sound |\n");
    std::printf("|---|---|---|---|---|---|---|---|\n");
    const struct {
        const char* name;
        UnplugWay way;
        bool outstanding;
    } cases[] = {
        {"pty master closed, request outstanding", UnplugWay::kCloseMaster, true},
        {"pty master closed, idle", UnplugWay::kCloseMaster, false},
        {"vesk-sim killed (SIGKILL), request outstanding", UnplugWay::kKillSimulator, true},
        {"vesk-sim killed (SIGKILL), idle", UnplugWay::kKillSimulator, false},
    };
    for (const auto& row : cases) {
        int once = 0, other = 0, refused = 0, back = 0;
        double worstMs = 0, worstCpu = 0;
        for (int i = 0; i < options.unplugs; ++i) {
            const UnplugFigures f = RunUnplug(row.way, row.outstanding);
            once += f.started && f.requestSent && f.portLost == 1;
            other += f.otherNotifications;
            refused += f.sendRefused;
            back += f.reopened && f.answeredAfterReopen;
            worstMs = std::max(worstMs, f.lostAfterMs);
            worstCpu = std::max(worstCpu, 100.0 * f.idleCpuSeconds / std::max(f.idleSeconds, 1e-9));
        }
        const int n = options.unplugs;
        const bool sound = once == n && other == 0 && refused == n && back == n && worstCpu < 10;
        std::printf("| %s | %d/%d | %d | %.1f | %.1f | %d/%d | %d/%d | %s |\n", row.name, once, n,
                    other, worstMs, worstCpu, refused, n, back, n, Verdict(sound));
    }
    std::printf("\n");
}

void Stall() {
    std::printf("## Stalled writes\n\n");
    const StallFigures f = RunStalledWrites(4000);
    std::printf(
        "vesk-sim `--stall` stops reading, so the pseudo-terminal fills. A write that does not\n"
        "finish within 1 s purges the output and `Send` returns false; the purge empties the\n"
        "line, so each fill costs one refused request and the next goes into the emptied line.\n"
        "A large block that meets the full line is refused, never reported as written. No\n"
        "reply comes, the window shows \"Error:TimeOut!\", and no call blocks longer than one\n"
        "write time-out.\n\n");
    std::printf(
        "| Read All sent | accepted / refused | slowest Read All s | all of them s | one Send of "
        "%zu bytes: result, s | replies posted | Close ms | nothing hung, nothing answered |\n",
        f.blockBytes);
    std::printf("|---|---|---|---|---|---|---|---|\n");
    const bool sound = f.started && f.notifications == 0 && f.refusedRequests >= 1 &&
                       !f.blockAccepted && f.acceptedRequests + f.refusedRequests == 4000;
    std::printf("| 4000 | %d / %d | %.2f | %.1f | %s, %.2f | %d | %.1f | %s |\n\n",
                f.acceptedRequests, f.refusedRequests, f.slowestSendSeconds, f.requestsSeconds,
                f.blockAccepted ? "true" : "false", f.blockSendSeconds, f.notifications, f.closeMs,
                Verdict(sound));
}

void Garbage(const SoakOptions& options) {
    std::printf("## Garbage\n\n");
    std::printf(
        "Random bytes from the module side, one idle byte, then a valid reply. The notifications\n"
        "must be exactly those the framing rules give for the same bytes, then one good reply.\n"
        "Random bytes that form a closed frame pass the 8-bit checksum one time in 256 (and\n"
        "always with the length byte 0xF9): such \"chance good\" frames cannot be told from a\n"
        "reply by any reader of this protocol. The resident growth includes the test window's\n"
        "queue, which holds every notification until the bytes are all written.\n\n");
    std::printf(
        "| random bytes | kind | chance frames: good / damaged | notifications as the rules say | "
        "valid reply decoded | resident growth KiB | seconds | sound |\n");
    std::printf("|---|---|---|---|---|---|---|---|\n");
    const struct {
        long bytes;
        bool framingHeavy;
    } runs[] = {{1L << 20, false},
                {options.garbageBytes, false},
                {1L << 20, true},
                {options.garbageBytes, true}};
    for (const auto& run : runs) {
        const GarbageFigures f =
            RunGarbage(static_cast<std::size_t>(run.bytes), options.seed, run.framingHeavy);
        const bool sound = f.started && f.notificationsMatch && f.finalReplyDecoded &&
                           f.residentGrowthKiB < 8 * 1024;
        std::printf("| %zu | %s | %d / %d | %s | %s | %ld | %.2f | %s |\n", f.bytes,
                    run.framingHeavy ? "half 0xAF/0x0D/0x0A" : "uniform", f.referenceGood,
                    f.referenceBad, f.notificationsMatch ? "yes" : "no",
                    f.finalReplyDecoded ? "yes" : "no", f.residentGrowthKiB, f.seconds,
                    Verdict(sound));
    }
    std::printf("\n");
}

void WrongSpeeds() {
    std::printf("## Wrong speed\n\n");
    std::printf(
        "The PC side at another speed than the module's 9600 baud: 20 Read All each, then the\n"
        "PC switches to 9600 and must be answered.\n\n");
    std::printf(
        "| PC baud | requests | false \"good\" | other notifications | answered at 9600 |\n");
    std::printf("|---|---|---|---|---|\n");
    for (int baud : {1200, 2400, 4800, 19200, 38400, 57600, 115200}) {
        const WrongSpeedFigures f = RunWrongSpeed(baud, 20);
        const bool sound = f.started && f.requests == 20 && f.good == 0 &&
                           f.otherNotifications == 0 && f.answeredAtRightSpeed;
        std::printf("| %d | %d | %d | %d | %s |\n", baud, f.requests, f.good, f.otherNotifications,
                    Verdict(sound));
    }
    std::printf("\n");
}

void Contention() {
    std::printf("## Contention\n\n");
    const ContentionFigures f = RunContention();
    std::printf(
        "| another process holds flock | listed while held | opened while held | listed after "
        "| opened after | sound |\n");
    std::printf("|---|---|---|---|---|---|\n");
    const bool sound = f.started && f.holderLocked && !f.listedWhileHeld && !f.openedWhileHeld &&
                       f.listedAfter && f.openedAfter;
    std::printf("| %s | %s | %s | %s | %s | %s |\n\n", f.holderLocked ? "yes" : "no",
                f.listedWhileHeld ? "yes" : "no", f.openedWhileHeld ? "yes" : "no",
                f.listedAfter ? "yes" : "no", f.openedAfter ? "yes" : "no", Verdict(sound));
}

bool Parse(int argc, char** argv, SoakOptions& options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const long value = std::strtol(argv[i + 1], nullptr, 10);
        if (value <= 0) {
            return false;
        }
        if (name == "--reads") {
            options.reads = static_cast<int>(value);
        } else if (name == "--cycles") {
            options.cycles = static_cast<int>(value);
        } else if (name == "--unplugs") {
            options.unplugs = static_cast<int>(value);
        } else if (name == "--garbage-bytes") {
            options.garbageBytes = value;
        } else if (name == "--seed") {
            options.seed = static_cast<unsigned long>(value);
        } else {
            return false;
        }
    }
    return argc % 2 == 1;
}

}  // namespace
}  // namespace vesk::reliability

int main(int argc, char** argv) {
    using namespace vesk::reliability;
    SoakOptions options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: reliability-soak [--reads N] [--cycles N] [--unplugs N] "
                     "[--garbage-bytes N] [--seed N]\n");
        return 2;
    }
    LongRuns(options);
    std::fflush(stdout);
    Cycles(options);
    Unplugs(options);
    Stall();
    Garbage(options);
    WrongSpeeds();
    Contention();
    return failed ? 1 : 0;
}
