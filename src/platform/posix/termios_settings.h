// Line settings as a termios value: a pure function, so the mapping is tested
// by table without a device.
#pragma once

#include <termios.h>

#include <optional>

#include "platform/serial_device.h"

namespace vesk::platform {

// Raw 8N1/8O1/8E1 at `settings.baud`: input parity checking when parity is on,
// no flow control of either kind, VSTART 0x13 and VSTOP 0x19 (unused while
// software flow control is off), CLOCAL and CREAD on, HUPCL off, reads that
// never wait. Empty for a speed termios cannot set or a parity code other than 0-2.
std::optional<termios> BuildTermios(const LineSettings& settings);

// The termios speed constant for `baud`, or empty.
std::optional<speed_t> SpeedConstant(int baud);

}  // namespace vesk::platform
