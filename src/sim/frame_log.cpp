#include "sim/frame_log.h"

#include <cstdio>

#include "sim/module_speed.h"

namespace vesk::sim {

std::string HexBytes(const std::uint8_t* bytes, std::size_t count) {
    std::string text;
    char digits[4];
    for (std::size_t i = 0; i < count; ++i) {
        std::snprintf(digits, sizeof digits, i == 0 ? "%02X" : " %02X", bytes[i]);
        text += digits;
    }
    return text;
}

std::string DescribeFrame(const Frame& frame) {
    const ModuleParams p = DecodeSettings(frame.data());
    char text[256];
    std::snprintf(text, sizeof text,
                  "command 0x%02X, baud code %u (%d), parity %u, %.2f MHz, SF %u, mode %u, "
                  "bandwidth code %u, node %u, net %u, power %u, breath %u, wake %u",
                  p.command, p.baudCode, BaudForCode(p.baudCode), p.parity, p.frequencyMHz,
                  p.spreadingFactor, p.mode, p.bandwidthCode, (p.nodeIdHigh << 8) | p.nodeIdLow,
                  p.netId, p.power, p.breathIndex, p.wakeIndex);
    return text;
}

}  // namespace vesk::sim
