// The --log lines: a frame in hex followed by its decoded fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "link/parameter_frame.h"

namespace vesk::sim {

std::string HexBytes(const std::uint8_t* bytes, std::size_t count);

// "command 0x01, baud code 4 (9600), parity 2, 868.00 MHz, SF 9, mode 1,
// bandwidth code 8, node 4660, net 17, power 5, breath 2, wake 1"
std::string DescribeFrame(const Frame& frame);

}  // namespace vesk::sim
