// What an open port costs while nothing arrives: the CPU time this process
// uses over a quiet interval with a VeskSerial open on vesk-sim, as a
// percentage of one core, and how often its threads woke.
//
//   idle_cpu_bench [--seconds=10]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>

#include "bench_output.h"
#include "reply_clock.h"
#include "support/sim_process.h"

namespace {

double ProcessCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

long ContextSwitches() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_nvcsw + usage.ru_nivcsw;
}

}  // namespace

int main(int argc, char** argv) {
    vesk::bench::Options options;
    if (!options.Parse(argc, argv)) {
        return 2;
    }
    const unsigned seconds = options.Unsigned("seconds", 10);
    if (!options.Complete()) {
        return 2;
    }

    vesk::testing::ScopedRuntimeDir runtimeDir;
    auto sim = vesk::testing::SimProcess::Start({"--no-line-time", "--parity", "0"});
    if (!sim) {
        return 1;
    }
    vesk::bench::ReplyClock clock;
    // After the clock, so the port is closed before the clock goes.
    vesk::VeskSerial endpoint;
    clock.Attach(endpoint);
    if (!endpoint.Open(sim->ComNumber(), 9600, 0)) {
        std::fprintf(stderr, "idle_cpu_bench: cannot open COM%u\n", sim->ComNumber());
        return 1;
    }
    // One exchange first, so the port is in the state a user leaves it in.
    clock.Arm();
    if (!endpoint.ReadAll() || !clock.Wait(std::chrono::seconds(2))) {
        std::fprintf(stderr, "idle_cpu_bench: no reply\n");
        return 1;
    }

    const double cpuBefore = ProcessCpuSeconds();
    const long switchesBefore = ContextSwitches();
    const auto wallBefore = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    const double cpu = ProcessCpuSeconds() - cpuBefore;
    const long switches = ContextSwitches() - switchesBefore;

    vesk::bench::PrintValue("idle_cpu", "seconds", wall, "s");
    vesk::bench::PrintValue("idle_cpu", "cpu_time", cpu * 1000, "ms");
    vesk::bench::PrintValue("idle_cpu", "percent_of_core", 100 * cpu / wall, "%");
    // The sleeping benchmark thread itself accounts for one or two.
    vesk::bench::PrintValue("idle_cpu", "context_switches", static_cast<double>(switches), "");
    return 0;
}
