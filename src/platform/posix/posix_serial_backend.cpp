// The serial backend of POSIX systems: COM numbers through the port map,
// devices through termios.
#include "platform/com_port_map.h"
#include "platform/posix/port_probe.h"
#include "platform/posix/posix_serial_device.h"

namespace vesk::platform {
namespace {

class PosixSerialBackend : public SerialBackend {
  public:
    std::unique_ptr<SerialDevice> Open(unsigned portNumber) override {
        const std::optional<std::string> path = DevicePathForPort(portNumber);
        if (!path) {
            return nullptr;
        }
        return PosixSerialDevice::OpenPath(*path);
    }

    bool Exists(unsigned portNumber) override {
        const std::optional<std::string> path = DevicePathForPort(portNumber);
        return path && DeviceLooksUsable(*path);
    }
};

}  // namespace

SerialBackend& SystemSerialBackend() {
    static PosixSerialBackend backend;
    return backend;
}

}  // namespace vesk::platform
