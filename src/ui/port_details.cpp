#include "ui/port_details.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/com_port_map.h"

namespace vesk::ui {
namespace {

namespace fs = std::filesystem;

// Looks up the USB device above a tty in sysfs and reads its product string.
std::string UsbProductName(const std::string& devicePath) {
    const std::string name = fs::path(devicePath).filename().string();
    std::error_code error;
    fs::path node = fs::canonical(fs::path("/sys/class/tty") / name / "device", error);
    for (int level = 0; !error && level < 4 && !node.empty(); ++level, node = node.parent_path()) {
        std::ifstream product(node / "product");
        std::string text;
        if (product && std::getline(product, text) && !text.empty()) {
            return text;
        }
    }
    return {};
}

// Nodes such as /dev/ttyS5 exist on most PCs with no UART behind them.
bool IsPlaceholderUart(const std::string& devicePath) {
    const std::string name = fs::path(devicePath).filename().string();
    if (name.rfind("ttyS", 0) != 0) {
        return false;
    }
    std::ifstream type("/sys/class/tty/" + name + "/type");
    int uartType = -1;
    return (type >> uartType) && uartType == 0;
}

}  // namespace

QString PortDescription(unsigned portNumber) {
    const auto path = platform::DevicePathForPort(portNumber);
    if (!path) {
        return {};
    }
    QString text = QStringLiteral("COM%1: %2").arg(portNumber).arg(QString::fromStdString(*path));
    std::error_code error;
    std::string device = *path;
    if (fs::is_symlink(*path, error)) {
        device = fs::canonical(*path, error).string();
        if (!error) {
            text += QStringLiteral(" \u2192 ") + QString::fromStdString(device);
        }
    }
    const std::string product = UsbProductName(device);
    if (!product.empty()) {
        text += QStringLiteral(" (%1)").arg(QString::fromStdString(product));
    }
    return text;
}

QString NoPortExplanation() {
    for (unsigned n = platform::kFirstPort; n <= platform::kLastPort; ++n) {
        const auto path = platform::BuiltInDevicePath(n);
        struct stat info {};
        if (!path || stat(path->c_str(), &info) != 0 || !S_ISCHR(info.st_mode) ||
            IsPlaceholderUart(*path) || access(path->c_str(), R_OK | W_OK) == 0) {
            continue;
        }
        const group* owner = getgrgid(info.st_gid);
        const QString groupName = owner != nullptr ? QString::fromLocal8Bit(owner->gr_name)
                                                   : QString::number(info.st_gid);
        return QStringLiteral(
                   "No port can be opened: %1 (COM%2) may only be used by members of the group "
                   "'%3'. Add your user to that group and log in again.")
            .arg(QString::fromStdString(*path))
            .arg(n)
            .arg(groupName);
    }
    return {};
}

}  // namespace vesk::ui
