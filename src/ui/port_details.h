// What the port list's tooltip tells about a COM number: the device behind it
// (with the USB product name where the system knows it), and, when no port
// can be listed, why a serial device that exists cannot be used.
#pragma once

#include <QString>

namespace vesk::ui {

// "COM3: /dev/ttyUSB2 (CP2102 USB to UART)", or for a virtual port
// "COM1: <link> → /dev/pts/7". Empty for a number with no device.
QString PortDescription(unsigned portNumber);

// Why no port is listed: the first serial device of the built-in table that
// exists but may not be opened, with the group that owns it. Empty when there
// is no such device.
QString NoPortExplanation();

}  // namespace vesk::ui
