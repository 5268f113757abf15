// Round trip of "Read All" through VeskSerial to vesk-sim over a
// pseudo-terminal: from just before ReadAll writes the request to the moment
// the good reply's notification is posted. Without line time this is all
// software; with line time on it is set beside the physical minimum of
// 2 x 25 characters of 10 bits. The same round trip scripted with pyserial,
// and once more with bare system calls (the floor that the simulator and the
// pseudo-terminal set), runs against the same simulator in the same run; a
// pseudo-terminal echoed by a thread shows the kernel's part of that floor.
//
//   round_trip_bench [--count=2000] [--rounds=10] [--warmup=20]
//                    [--line-time-count=200] [--pyserial=bench/pyserial_round_trip.py]
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bare_round_trip.h"
#include "bench_output.h"
#include "peer_process.h"
#include "reply_clock.h"
#include "support/sim_process.h"

namespace {

using vesk::bench::Milliseconds;
using vesk::bench::ReplyClock;

constexpr auto kReplyLimit = std::chrono::seconds(2);
constexpr int kNoParity = 0;
constexpr double kBitsPerCharacter = 10;  // start, 8 data, stop

struct LineSpeed {
    const char* baudCode;  // the simulated module's code for it
    int baud;
};

// Round-trip times in ms of `count` requests after `warmup` unmeasured ones;
// empty when a reply fails to come.
std::vector<double> MeasureRoundTrips(const vesk::testing::SimProcess& sim, int baud,
                                      unsigned warmup, unsigned count) {
    ReplyClock clock;
    // After the clock, so the port is closed before the clock goes.
    vesk::VeskSerial endpoint;
    clock.Attach(endpoint);
    if (!endpoint.Open(sim.ComNumber(), baud, kNoParity)) {
        std::fprintf(stderr, "round_trip_bench: cannot open COM%u\n", sim.ComNumber());
        return {};
    }
    std::vector<double> samples;
    samples.reserve(count);
    for (unsigned i = 0; i < warmup + count; ++i) {
        clock.Arm();
        const auto start = ReplyClock::Clock::now();
        if (!endpoint.ReadAll()) {
            std::fprintf(stderr, "round_trip_bench: ReadAll failed\n");
            return {};
        }
        const auto reply = clock.Wait(kReplyLimit);
        if (!reply) {
            std::fprintf(stderr, "round_trip_bench: no reply to request %u\n", i);
            return {};
        }
        if (i >= warmup) {
            samples.push_back(Milliseconds(*reply - start));
        }
    }
    return samples;
}

std::unique_ptr<vesk::testing::SimProcess> StartSim(std::vector<std::string> args) {
    args.insert(args.end(), {"--parity", "0"});
    auto sim = vesk::testing::SimProcess::Start(args);
    if (!sim) {
        std::fprintf(stderr, "round_trip_bench: vesk-sim did not start\n");
    }
    return sim;
}

// Appends the script's samples to `samples`.
bool RunPyserialPeer(const std::string& script, const vesk::testing::SimProcess& sim, int baud,
                     unsigned warmup, unsigned count, std::vector<double>& samples) {
    std::string requestHex;
    for (const std::uint8_t byte : vesk::ReadRequest()) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", byte);
        requestHex += digits;
    }
    const std::vector<std::string> output =
        vesk::bench::RunPeer({"/usr/bin/python3", script, sim.DevicePath(), std::to_string(baud),
                              requestHex, std::to_string(warmup), std::to_string(count)});
    for (const std::string& line : output) {
        samples.push_back(std::stod(line) / 1e6);  // the script prints nanoseconds
    }
    if (output.size() != count) {
        std::fprintf(stderr, "round_trip_bench: pyserial gave %zu of %u samples\n", output.size(),
                     count);
        return false;
    }
    return true;
}

// Ours, the bare floor and pyserial take turns in rounds, so that a change in
// the machine's load during the run falls on all three alike.
struct Samples {
    std::vector<double> ours, bare, peer, ptyEcho;
};

bool MeasureInRounds(const vesk::testing::SimProcess& sim, const std::string& pyserialScript,
                     unsigned warmup, unsigned count, unsigned rounds, Samples& samples) {
    for (unsigned round = 0; round < rounds; ++round) {
        const unsigned share = count / rounds + (round < count % rounds ? 1 : 0);
        const std::vector<double> ours = MeasureRoundTrips(sim, 9600, warmup, share);
        const std::vector<double> bare =
            vesk::bench::BareRoundTrips(sim.DevicePath(), 9600, warmup, share);
        const std::vector<double> ptyEcho = vesk::bench::PtyEchoRoundTrips(warmup, share);
        if (ours.size() != share || bare.size() != share || ptyEcho.size() != share) {
            return false;
        }
        samples.ours.insert(samples.ours.end(), ours.begin(), ours.end());
        samples.bare.insert(samples.bare.end(), bare.begin(), bare.end());
        samples.ptyEcho.insert(samples.ptyEcho.end(), ptyEcho.begin(), ptyEcho.end());
        if (!pyserialScript.empty() &&
            !RunPyserialPeer(pyserialScript, sim, 9600, warmup, share, samples.peer)) {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    vesk::bench::Options options;
    if (!options.Parse(argc, argv)) {
        return 2;
    }
    const unsigned count = options.Unsigned("count", 2000);
    const unsigned rounds = std::max(1u, options.Unsigned("rounds", 10));
    const unsigned warmup = options.Unsigned("warmup", 20);
    const unsigned lineTimeCount = options.Unsigned("line-time-count", 200);
    const std::string pyserialScript = options.Text("pyserial", "");
    if (!options.Complete()) {
        return 2;
    }

    vesk::testing::ScopedRuntimeDir runtimeDir;
    {
        auto sim = StartSim({"--no-line-time"});
        Samples samples;
        if (!sim || !MeasureInRounds(*sim, pyserialScript, warmup, count, rounds, samples)) {
            return 1;
        }
        const double bareP50 = vesk::bench::Summarize(samples.bare).p50;
        vesk::bench::PrintSummary("round_trip", samples.ours, "ms");
        vesk::bench::PrintValue("round_trip", "p50_above_bare",
                                vesk::bench::Summarize(samples.ours).p50 - bareP50, "ms");
        vesk::bench::PrintSummary("round_trip_bare", samples.bare, "ms");
        vesk::bench::PrintSummary("round_trip_pty_echo", samples.ptyEcho, "ms");
        if (!pyserialScript.empty()) {
            vesk::bench::PrintSummary("round_trip_pyserial", samples.peer, "ms");
            vesk::bench::PrintValue("round_trip_pyserial", "p50_above_bare",
                                    vesk::bench::Summarize(samples.peer).p50 - bareP50, "ms");
        }
    }
    for (const LineSpeed speed : {LineSpeed{"4", 9600}, LineSpeed{"8", 115200}}) {
        if (lineTimeCount == 0) {
            break;
        }
        auto sim = StartSim({"--line-time", "--baud-code", speed.baudCode});
        if (!sim) {
            return 1;
        }
        const std::vector<double> samples = MeasureRoundTrips(*sim, speed.baud, 2, lineTimeCount);
        if (samples.size() != lineTimeCount) {
            return 1;
        }
        const std::string figure = "round_trip_line_time_" + std::to_string(speed.baud);
        vesk::bench::PrintSummary(figure, samples, "ms");
        const double minimum = 2 * vesk::kFrameSize * kBitsPerCharacter * 1000.0 / speed.baud;
        vesk::bench::PrintValue(figure, "physical_minimum", minimum, "ms");
        vesk::bench::PrintValue(figure, "p50_above_minimum",
                                vesk::bench::Summarize(samples).p50 - minimum, "ms");
        std::vector<double> peer;
        if (!pyserialScript.empty()) {
            if (!RunPyserialPeer(pyserialScript, *sim, speed.baud, 2, lineTimeCount, peer)) {
                return 1;
            }
            vesk::bench::PrintSummary(figure + "_pyserial", peer, "ms");
        }
    }
    return 0;
}
