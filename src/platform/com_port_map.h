// COM numbers and the devices behind them. On Linux the window keeps the
// names "COM1" to "COM255": an entry COM<n> in the per-user virtual-port
// directory (a symbolic link to a device) wins; otherwise a built-in table maps
// n to a tty device.
#pragma once

#include <optional>
#include <string>

namespace vesk::platform {

inline constexpr unsigned kFirstPort = 1;
inline constexpr unsigned kLastPort = 255;

// $XDG_RUNTIME_DIR/vesk-ports, or /tmp/vesk-ports-<uid> when XDG_RUNTIME_DIR is unset.
std::string VirtualPortDirectory();

// The link path for COMn in the virtual-port directory (whether or not it exists).
std::string VirtualPortPath(unsigned portNumber);

// Built-in table: COM1-16 ttyUSB0-15, COM17-32 ttyACM0-15, COM33-64 ttyS0-31,
// COM65-72 ttyAMA0-7, COM73-80 rfcomm0-7. Empty outside the table.
std::optional<std::string> BuiltInDevicePath(unsigned portNumber);

// The device path COMn stands for: the virtual-port entry if there is one,
// else the built-in one. Empty for 0, for numbers above 255 and for numbers
// with neither.
std::optional<std::string> DevicePathForPort(unsigned portNumber);

// Win32 device name: "COM%d" up to 9, "\\.\COM%d" from 10.
std::string Win32DeviceName(unsigned portNumber);

}  // namespace vesk::platform
