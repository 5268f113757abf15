// Runs the module model on a line: reads what the PC sends, stays deaf while
// the PC's speed differs from the module's, answers through the fault
// injector, and paces what it sends at the line's speed. Waits with poll only.
//
// Memory stays bounded whatever arrives: one fixed read buffer, the model's
// 25-byte window, and at most one reply in flight.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/fault_injector.h"
#include "sim/module_line.h"
#include "sim/module_model.h"

namespace vesk::sim {

struct HostOptions {
    bool lineTime = true;
    int replyDelayMs = 0;
    bool split = false;
    bool mute = false;
    bool stall = false;
    bool log = false;
};

class ModuleHost {
  public:
    // `stopFd` becomes readable when the simulator should end (a signalfd).
    ModuleHost(ModuleLine& moduleLine, ModuleModel& moduleModel, FaultInjector& faultInjector,
               const HostOptions& hostOptions, int stopFd)
        : line(moduleLine),
          model(moduleModel),
          faults(faultInjector),
          options(hostOptions),
          stop(stopFd),
          lineBaud(moduleModel.LineBaud()),
          lineParity(moduleModel.LineParity()) {}

    // Until stopFd is readable (true) or the line fails (false, with the reason on stderr).
    bool Run();

  private:
    using Clock = std::chrono::steady_clock;

    bool OnInput(const std::uint8_t* bytes, std::size_t count);
    bool Answer(const Frame& reply, Clock::time_point requestEnd);
    bool Transmit(const std::vector<std::uint8_t>& bytes);
    bool WriteAll(const std::uint8_t* bytes, std::size_t count);
    // Waits until `deadline`; false when a stop was requested meanwhile.
    bool PauseUntil(Clock::time_point deadline);
    bool StopRequested() const;
    Clock::duration CharacterTime() const;

    ModuleLine& line;
    ModuleModel& model;
    FaultInjector& faults;
    HostOptions options;
    int stop;
    // The format the line runs at now; it follows the settings once a reply has gone.
    int lineBaud;
    std::uint8_t lineParity;
    Clock::time_point receiveEnd{};  // when the bytes read so far finished on the wire
};

}  // namespace vesk::sim
