// vesk-sim: a simulated Vesk R20 module on a pseudo-terminal, linked into the
// virtual-port directory as a COM port (or on a real port with --device).
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "sim/device_line.h"
#include "sim/fault_injector.h"
#include "sim/frame_log.h"
#include "sim/module_host.h"
#include "sim/module_model.h"
#include "sim/module_speed.h"
#include "sim/port_link.h"
#include "sim/pty_line.h"
#include "sim/sim_options.h"

namespace {

// SIGINT, SIGTERM and SIGHUP arrive as readable data, so the main loop ends
// normally and removes the link; nothing runs in a signal handler.
int OpenStopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    if (sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) {
        return -1;
    }
    return signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "vesk-sim: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace vesk::sim;
    const ParseResult parsed = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "vesk-sim: %s\ntry vesk-sim --help\n", parsed.error.c_str());
        return 2;
    }
    const SimOptions& options = parsed.options;
    if (options.help) {
        std::fputs(UsageText(), stdout);
        return 0;
    }
    signal(SIGPIPE, SIG_IGN);
    const int stopFd = OpenStopSignals();
    if (stopFd < 0) {
        return Fail("cannot watch for signals");
    }

    ModuleModel model(BlockFromParams(options.settings));
    std::string error;
    std::unique_ptr<ModuleLine> line;
    std::unique_ptr<PortLink> link;
    if (!options.devicePath.empty()) {
        line = DeviceLine::Open(options.devicePath, model.LineBaud(), model.LineParity(), error);
        if (!line) {
            return Fail(error);
        }
        std::printf("vesk-sim: device %s\n", options.devicePath.c_str());
    } else {
        auto pty = PtyLine::Create(model.LineBaud(), error);
        if (!pty) {
            return Fail(error);
        }
        link = PortLink::Claim(pty->SlavePath(), options.comNumber, error);
        if (!link) {
            return Fail(error);
        }
        std::printf("vesk-sim: COM%u %s\n", link->ComNumber(), pty->SlavePath().c_str());
        line = std::move(pty);
    }
    std::fflush(stdout);

    const std::uint64_t seed = options.seed ? *options.seed : std::random_device{}();
    FaultInjector faults({options.noiseRate, options.corruptRate, options.dropRate}, seed);
    if (options.log) {
        const vesk::Frame settings = BuildReply(vesk::kCommandReadAll, model.Settings());
        std::fprintf(stderr, "vesk-sim: seed %llu, settings %s\n",
                     static_cast<unsigned long long>(seed), DescribeFrame(settings).c_str());
    }
    const HostOptions hostOptions{options.lineTime, options.replyDelayMs, options.split,
                                  options.mute,     options.stall,        options.log};
    ModuleHost host(*line, model, faults, hostOptions, stopFd);
    const bool stopped = host.Run();
    close(stopFd);
    return stopped ? 0 : 1;
}
