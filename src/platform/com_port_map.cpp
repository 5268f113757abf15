#include "platform/com_port_map.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace vesk::platform {
namespace {

struct TableRange {
    unsigned firstPort;
    unsigned count;
    const char* devicePrefix;
};

constexpr TableRange kBuiltInTable[] = {
    {1, 16, "/dev/ttyUSB"}, {17, 16, "/dev/ttyACM"}, {33, 32, "/dev/ttyS"},
    {65, 8, "/dev/ttyAMA"}, {73, 8, "/dev/rfcomm"},
};

}  // namespace

std::string VirtualPortDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] != '\0') {
        return std::string(runtime) + "/vesk-ports";
    }
    return "/tmp/vesk-ports-" + std::to_string(getuid());
}

std::string VirtualPortPath(unsigned portNumber) {
    return VirtualPortDirectory() + "/COM" + std::to_string(portNumber);
}

std::optional<std::string> BuiltInDevicePath(unsigned portNumber) {
    for (const TableRange& range : kBuiltInTable) {
        if (portNumber >= range.firstPort && portNumber < range.firstPort + range.count) {
            return range.devicePrefix + std::to_string(portNumber - range.firstPort);
        }
    }
    return std::nullopt;
}

std::optional<std::string> DevicePathForPort(unsigned portNumber) {
    if (portNumber < kFirstPort || portNumber > kLastPort) {
        return std::nullopt;
    }
    std::string link = VirtualPortPath(portNumber);
    struct stat info {};
    if (lstat(link.c_str(), &info) == 0) {
        return link;
    }
    return BuiltInDevicePath(portNumber);
}

std::string Win32DeviceName(unsigned portNumber) {
    const std::string number = std::to_string(portNumber);
    return portNumber <= 9 ? "COM" + number : "\\\\.\\COM" + number;
}

}  // namespace vesk::platform
