// Opening and closing ports: Close of an open port (reader stopped and joined,
// device released), and Open of a second port while the first stays open,
// each against its own vesk-sim.
//
//   open_close_bench [--count=200]
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench_output.h"
#include "link/protocol_endpoint.h"
#include "support/sim_process.h"

namespace {

using Clock = std::chrono::steady_clock;

// Calls `step` and returns how long it took in ms; false from `step` is noted in `ok`.
template <typename Step>
double Timed(Step step, bool& ok) {
    const auto start = Clock::now();
    ok = step() && ok;
    return vesk::bench::Milliseconds(Clock::now() - start);
}

}  // namespace

int main(int argc, char** argv) {
    vesk::bench::Options options;
    if (!options.Parse(argc, argv)) {
        return 2;
    }
    const unsigned count = options.Unsigned("count", 200);
    if (!options.Complete()) {
        return 2;
    }

    vesk::testing::ScopedRuntimeDir runtimeDir;
    auto first = vesk::testing::SimProcess::Start({"--no-line-time"});
    auto second = vesk::testing::SimProcess::Start({"--no-line-time"});
    if (!first || !second) {
        return 1;
    }
    vesk::VeskSerial firstPort;
    vesk::VeskSerial secondPort;
    std::vector<double> openFirst, openSecond, close;
    bool ok = true;
    for (unsigned i = 0; i < count && ok; ++i) {
        openFirst.push_back(Timed([&] { return firstPort.Open(first->ComNumber(), 9600, 0); }, ok));
        openSecond.push_back(
            Timed([&] { return secondPort.Open(second->ComNumber(), 9600, 0); }, ok));
        close.push_back(Timed([&] { return secondPort.Close(); }, ok));
        close.push_back(Timed([&] { return firstPort.Close(); }, ok));
    }
    if (!ok) {
        std::fprintf(stderr, "open_close_bench: an Open failed\n");
        return 1;
    }
    vesk::bench::PrintSummary("open", openFirst, "ms");
    vesk::bench::PrintSummary("open_second", openSecond, "ms");
    vesk::bench::PrintSummary("close", close, "ms");
    return 0;
}
