#include "sim/port_link.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/com_port_map.h"

namespace vesk::sim {
namespace {

bool EnsurePrivateDirectory(const std::string& directory, std::string& error) {
    if (mkdir(directory.c_str(), 0700) != 0 && errno != EEXIST) {
        error = "cannot create " + directory + ": " + std::strerror(errno);
        return false;
    }
    struct stat info {};
    if (lstat(directory.c_str(), &info) != 0) {
        error = "cannot read " + directory + ": " + std::strerror(errno);
        return false;
    }
    // Another user's directory could redirect the window to a device of theirs.
    if (!S_ISDIR(info.st_mode) || info.st_uid != getuid() || (info.st_mode & 0022) != 0) {
        error = directory + " is not a private directory of this user";
        return false;
    }
    return true;
}

bool HasBuiltInDevice(unsigned number) {
    const auto device = platform::BuiltInDevicePath(number);
    struct stat info {};
    return device && stat(device->c_str(), &info) == 0;
}

}  // namespace

std::unique_ptr<PortLink> PortLink::Claim(const std::string& target,
                                          std::optional<unsigned> requested, std::string& error) {
    if (!EnsurePrivateDirectory(platform::VirtualPortDirectory(), error)) {
        return nullptr;
    }
    const unsigned first = requested.value_or(platform::kFirstPort);
    const unsigned last = requested.value_or(platform::kLastPort);
    for (unsigned number = first; number <= last; ++number) {
        if (!requested && HasBuiltInDevice(number)) {
            continue;
        }
        const std::string path = platform::VirtualPortPath(number);
        // symlink fails on any existing entry, so two simulators never share a number.
        if (symlink(target.c_str(), path.c_str()) == 0) {
            return std::unique_ptr<PortLink>(new PortLink(number, path, target));
        }
        if (errno != EEXIST) {
            error = "cannot link " + path + ": " + std::strerror(errno);
            return nullptr;
        }
    }
    error = requested ? platform::VirtualPortPath(*requested) +
                            " exists already; remove it or "
                            "choose another --com"
                      : "no free COM number in " + platform::VirtualPortDirectory();
    return nullptr;
}

PortLink::~PortLink() {
    char buffer[4096];
    const ssize_t length = readlink(path.c_str(), buffer, sizeof buffer);
    if (length >= 0 && std::string(buffer, static_cast<std::size_t>(length)) == target) {
        unlink(path.c_str());
    }
}

}  // namespace vesk::sim
