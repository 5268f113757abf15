// The port list as the window fills it: PortExists for COM1 to COM255, with a
// few simulated modules present in a private virtual-port directory (the
// machine's own serial devices are looked at too, as they would be). The
// window scans once when it opens, so each scan here comes after a pause: the
// kernel makes the first read of /proc/locks after a quiet spell wait for an
// RCU grace period, and scans run back to back would hide that.
//
//   port_scan_bench [--count=50] [--ports=3] [--pause-ms=100]
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "bench_output.h"
#include "link/serial_channel.h"
#include "platform/com_port_map.h"
#include "support/sim_process.h"

int main(int argc, char** argv) {
    vesk::bench::Options options;
    if (!options.Parse(argc, argv)) {
        return 2;
    }
    const unsigned count = options.Unsigned("count", 50);
    const unsigned ports = options.Unsigned("ports", 3);
    const unsigned pauseMs = options.Unsigned("pause-ms", 100);
    if (!options.Complete()) {
        return 2;
    }

    vesk::testing::ScopedRuntimeDir runtimeDir;
    std::vector<std::unique_ptr<vesk::testing::SimProcess>> sims;
    for (unsigned i = 0; i < ports; ++i) {
        sims.push_back(vesk::testing::SimProcess::Start({"--no-line-time"}));
        if (!sims.back()) {
            return 1;
        }
    }
    std::vector<double> samples, backToBack;
    unsigned found = 0;
    for (unsigned i = 0; i < count; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
        found = 0;
        const auto start = std::chrono::steady_clock::now();
        for (unsigned n = vesk::platform::kFirstPort; n <= vesk::platform::kLastPort; ++n) {
            found += vesk::PortExists(n) ? 1 : 0;
        }
        samples.push_back(vesk::bench::Milliseconds(std::chrono::steady_clock::now() - start));
        // The same scan again at once, for comparison.
        const auto again = std::chrono::steady_clock::now();
        for (unsigned n = vesk::platform::kFirstPort; n <= vesk::platform::kLastPort; ++n) {
            vesk::PortExists(n);
        }
        backToBack.push_back(vesk::bench::Milliseconds(std::chrono::steady_clock::now() - again));
    }
    if (found < ports) {
        std::fprintf(stderr, "port_scan_bench: found %u ports, expected at least %u\n", found,
                     ports);
        return 1;
    }
    vesk::bench::PrintSummary("port_scan", samples, "ms");
    vesk::bench::PrintSummary("port_scan_back_to_back", backToBack, "ms");
    vesk::bench::PrintValue("port_scan", "ports_found", found, "");
    return 0;
}
