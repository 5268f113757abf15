// Tells whether a COM number has a usable device behind it without opening it:
// opening a tty raises DTR and RTS, which can reset a module, and a port list
// is refreshed often. A port counts as present when its path leads to a
// serial tty or pseudo-terminal slave we may read and write, that no program
// holds with flock, and, for built-in UART nodes, that has a UART behind it.
#pragma once

#include <string>

namespace vesk::platform {

bool DeviceLooksUsable(const std::string& path);

// Whether /proc/tty/drivers lists the device as a serial port or a
// pseudo-terminal slave (not a console, a master or /dev/tty).
bool IsSerialTty(unsigned long deviceMajor, unsigned long deviceMinor);

// Whether /proc/locks shows a flock on the file with this device and inode.
bool IsFlockHeld(unsigned long deviceMajor, unsigned long deviceMinor, unsigned long inode);

}  // namespace vesk::platform
