// A tty opened as a serial port: exclusive (flock, then TIOCEXCL), DTR and RTS
// cleared straight after open, and an eventfd that interrupts the reader's poll.
#pragma once

#include <memory>
#include <string>

#include "platform/serial_device.h"

namespace vesk::platform {

class PosixSerialDevice : public SerialDevice {
  public:
    // Null when the path is no character device, cannot be opened, is not a
    // tty, or is held by another program.
    static std::unique_ptr<PosixSerialDevice> OpenPath(const std::string& path);
    ~PosixSerialDevice() override;

    bool Purge(unsigned purgeFlags) override;
    bool SetEventMask(unsigned mask) override;
    bool SetZeroTimeouts() override;
    bool ApplyLineSettings(const LineSettings& settings) override;
    bool SetQueueSizes(std::size_t input, std::size_t output) override;
    WaitResult WaitForInput() override;
    void InterruptWait() override;
    IoResult Read(std::uint8_t* buffer, std::size_t capacity) override;
    IoResult Write(const std::uint8_t* data, std::size_t length, int timeoutMs) override;

  private:
    PosixSerialDevice(int portFd, int stopFd) : fd(portFd), stopEvent(stopFd) {}

    int fd;
    int stopEvent;
};

}  // namespace vesk::platform
