// The 25-byte parameter frame exchanged with the module, the 14-byte settings
// block inside it and ModuleParams, the record one complete set of settings
// travels in. Pure data and arithmetic: nothing here touches a port.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vesk {

// One complete set of module settings. The window zero-fills it before a write;
// the endpoint holds the last good reply in one.
struct ModuleParams {
    std::uint8_t command = 0;  // command byte of the reply it was decoded from
    std::uint8_t baudCode = 0;
    std::uint8_t parity = 0;  // 0 none, 1 odd, 2 even
    double frequencyMHz = 0.0;
    std::uint8_t spreadingFactor = 0;  // 7 to 12
    std::uint8_t mode = 0;             // 0 standard, 1 central, 2 node
    std::uint8_t bandwidthCode = 0;    // 6 to 9
    std::uint8_t nodeIdHigh = 0;
    std::uint8_t nodeIdLow = 0;
    std::uint8_t netId = 0;
    std::uint8_t power = 0;        // 1 to 7
    std::uint8_t breathIndex = 0;  // 0 to 4, 0xFF for no selection
    std::uint8_t wakeIndex = 0;    // 0 to 5, 0xFF for no selection

    friend bool operator==(const ModuleParams&, const ModuleParams&) = default;
};

inline constexpr std::size_t kFrameSize = 25;
inline constexpr std::size_t kSettingsLength = 14;
inline constexpr std::uint8_t kCommandWriteAll = 0x01;
inline constexpr std::uint8_t kCommandReadAll = 0x02;

using Frame = std::array<std::uint8_t, kFrameSize>;

// Offsets inside a frame.
namespace offset {
inline constexpr std::size_t kCommand = 6;
inline constexpr std::size_t kLength = 7;
inline constexpr std::size_t kSettings = 8;
inline constexpr std::size_t kFrequency = 10;
inline constexpr std::size_t kChecksum = 22;  // 8 + kSettingsLength
}  // namespace offset

// Low 8 bits of the plain sum of the first `count` bytes.
std::uint8_t Checksum(const std::uint8_t* bytes, std::size_t count);

// The constant read-all request.
const Frame& ReadRequest();

// A request frame with `command` carrying the settings of `params`
// (`params.command` is not copied). BuildWriteRequest uses command 0x01; the
// simulated module uses the general form for its replies.
Frame BuildFrame(std::uint8_t command, const ModuleParams& params);
Frame BuildWriteRequest(const ModuleParams& params);

// Fills a record from a reply: command from offset 6, settings from offsets
// 8 to 21. `frame` must hold at least 22 bytes; no check is made here.
ModuleParams DecodeSettings(const std::uint8_t* frame);

}  // namespace vesk
