// A real serial port as the module's line, for a null-modem pair of adapters:
// the PC's adapter on one side, this one on the other. Held exclusively
// (flock) like the window's ports.
#pragma once

#include <memory>
#include <string>

#include "sim/module_line.h"

namespace vesk::sim {

class DeviceLine : public ModuleLine {
  public:
    static std::unique_ptr<DeviceLine> Open(const std::string& path, int baud, std::uint8_t parity,
                                            std::string& error);
    ~DeviceLine() override;

    int Fd() const override { return fd; }
    std::optional<int> PeerBaud() const override { return std::nullopt; }
    // Waits for what is still being sent, then switches.
    bool SetLineFormat(int baud, std::uint8_t parity) override;

  private:
    explicit DeviceLine(int deviceFd) : fd(deviceFd) {}

    int fd;
};

}  // namespace vesk::sim
