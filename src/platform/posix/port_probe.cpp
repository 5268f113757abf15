#include "platform/posix/port_probe.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace vesk::platform {
namespace {

// /sys/class/tty/ttyS<n>/type is 0 when no UART answers at that address; those
// nodes exist on almost every PC whether a port is there or not.
bool HasUartBehind(const std::string& devicePath) {
    const std::string name = devicePath.substr(devicePath.rfind('/') + 1);
    if (name.rfind("ttyS", 0) != 0) {
        return true;
    }
    std::ifstream type("/sys/class/tty/" + name + "/type");
    int uartType = 0;
    return !(type >> uartType) || uartType != 0;
}

}  // namespace

bool IsFlockHeld(unsigned long deviceMajor, unsigned long deviceMinor, unsigned long inode) {
    std::ifstream locks("/proc/locks");
    std::string line;
    while (std::getline(locks, line)) {
        std::istringstream fields(line);
        std::string field;
        bool isFlock = false;
        while (fields >> field) {
            if (field == "FLOCK") {
                isFlock = true;
            }
            unsigned long major = 0, minor = 0, node = 0;
            if (isFlock && std::sscanf(field.c_str(), "%lx:%lx:%lu", &major, &minor, &node) == 3) {
                if (major == deviceMajor && minor == deviceMinor && node == inode) {
                    return true;
                }
                break;
            }
        }
    }
    return false;
}

bool DeviceLooksUsable(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) {
        return false;
    }
    if (access(path.c_str(), R_OK | W_OK) != 0) {
        return false;
    }
    return HasUartBehind(path) && !IsFlockHeld(major(info.st_dev), minor(info.st_dev), info.st_ino);
}

}  // namespace vesk::platform
