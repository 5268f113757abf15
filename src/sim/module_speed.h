// The speed codes of the module's own serial line, the same table as the
// window's module speed list.
#pragma once

#include <cstdint>

namespace vesk::sim {

inline constexpr std::uint8_t kLastBaudCode = 8;

// Codes 1 to 8 are 1200, 2400, 4800, 9600, 19200, 38400, 57600 and 115200
// baud. Code 0 is the module's factory speed, 115200; so is any code outside
// the table, which a write may store although the window never sends one.
int BaudForCode(std::uint8_t baudCode);

// Line time of one character: start bit, 8 data bits, the parity bit when
// parity is on, stop bit.
int BitsPerCharacter(std::uint8_t parity);

}  // namespace vesk::sim
