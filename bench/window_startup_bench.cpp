// Window start-up: from just before the process is spawned to the first paint
// of the configuration window (reported by window_first_paint on the same
// monotonic clock), and the process's peak resident size. One simulated module
// is present, so the port list has an entry.
//
//   window_startup_bench [--count=20] [--platform=offscreen] [--program=path]
// Under Xvfb: xvfb-run -a window_startup_bench --platform=xcb
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_output.h"
#include "peer_process.h"
#include "support/sim_process.h"

int main(int argc, char** argv) {
    vesk::bench::Options options;
    if (!options.Parse(argc, argv)) {
        return 2;
    }
    const unsigned count = options.Unsigned("count", 20);
    const std::string platform = options.Text("platform", "offscreen");
    const std::string program = options.Text("program", VESK_FIRST_PAINT_PROGRAM);
    if (!options.Complete()) {
        return 2;
    }

    vesk::testing::ScopedRuntimeDir runtimeDir;
    auto sim = vesk::testing::SimProcess::Start({"--no-line-time"});
    if (!sim) {
        return 1;
    }
    std::vector<double> startup, rssMiB;
    for (unsigned i = 0; i < count; ++i) {
        const auto start = std::chrono::steady_clock::now().time_since_epoch();
        const vesk::bench::ChildResult child =
            vesk::bench::RunChild({program}, {"QT_QPA_PLATFORM=" + platform}, 60);
        long long paintNs = -1;
        for (const std::string& line : child.lines) {
            std::sscanf(line.c_str(), "first_paint %lld", &paintNs);
        }
        if (!child.exitedCleanly || paintNs < 0) {
            std::fprintf(stderr, "window_startup_bench: %s did not paint\n", program.c_str());
            return 1;
        }
        const auto startNs = std::chrono::duration_cast<std::chrono::nanoseconds>(start).count();
        startup.push_back(static_cast<double>(paintNs - startNs) / 1e6);
        rssMiB.push_back(static_cast<double>(child.peakRssKiB) / 1024);
    }
    const std::string figure = "window_startup_" + platform;
    vesk::bench::PrintSummary(figure, startup, "ms");
    vesk::bench::PrintSummary(figure + "_peak_rss", rssMiB, "MiB");
    return 0;
}
