// Frames and records shared by the link suites.
#pragma once

#include <cstdint>
#include <vector>

#include "link/parameter_frame.h"

namespace vesk::testing {

// The window's default choices: 9600 (code 4), no parity, 434.00 MHz, SF 11,
// standard mode, bandwidth code 7, IDs 0, power 7, breath 0, wake 4.
inline ModuleParams WindowDefaults() {
    return {0, 4, 0, 434.0, 11, 0, 7, 0, 0, 0, 7, 0, 4};
}

inline const Frame kDefaultWriteFrame = {0xAF, 0xAF, 0x00, 0x00, 0xAF, 0x80, 0x01, 0x0E, 0x04,
                                         0x00, 0x6C, 0x80, 0x12, 0x0B, 0x00, 0x07, 0x00, 0x00,
                                         0x00, 0x07, 0x00, 0x04, 0xBB, 0x0D, 0x0A};

using Bytes = std::vector<std::uint8_t>;

inline Bytes ToBytes(const Frame& frame) {
    return Bytes(frame.begin(), frame.end());
}

}  // namespace vesk::testing
