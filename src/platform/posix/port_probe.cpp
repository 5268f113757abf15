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

bool IsSerialTty(unsigned long deviceMajor, unsigned long deviceMinor) {
    // Lines read "name  /dev/node  major  minor[-last]  type".
    std::ifstream drivers("/proc/tty/drivers");
    std::string line;
    while (std::getline(drivers, line)) {
        std::istringstream fields(line);
        std::string name, node, minors, type;
        unsigned long major = 0;
        if (!(fields >> name >> node >> major >> minors >> type) || major != deviceMajor) {
            continue;
        }
        unsigned long first = 0, last = 0;
        const int parsed = std::sscanf(minors.c_str(), "%lu-%lu", &first, &last);
        if (parsed == 1) {
            last = first;
        }
        if (parsed >= 1 && deviceMinor >= first && deviceMinor <= last &&
            (type == "serial" || type == "pty:slave")) {
            return true;
        }
    }
    return false;
}

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
    return IsSerialTty(major(info.st_rdev), minor(info.st_rdev)) && HasUartBehind(path) &&
           !IsFlockHeld(major(info.st_dev), minor(info.st_dev), info.st_ino);
}

}  // namespace vesk::platform
