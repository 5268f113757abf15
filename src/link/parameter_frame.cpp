#include "link/parameter_frame.h"

#include "link/frequency_register.h"

namespace vesk {
namespace {

constexpr std::uint8_t kHeader[] = {0xAF, 0xAF, 0x00, 0x00, 0xAF, 0x80};

}  // namespace

std::uint8_t Checksum(const std::uint8_t* bytes, std::size_t count) {
    unsigned sum = 0;
    for (std::size_t i = 0; i < count; ++i) {
        sum += bytes[i];
    }
    return static_cast<std::uint8_t>(sum & 0xFF);
}

Frame BuildFrame(std::uint8_t command, const ModuleParams& params) {
    Frame frame{};
    for (std::size_t i = 0; i < sizeof kHeader; ++i) {
        frame[i] = kHeader[i];
    }
    frame[offset::kCommand] = command;
    frame[offset::kLength] = kSettingsLength;
    const std::uint32_t reg = FrequencyToRegister(params.frequencyMHz);
    const std::uint8_t settings[kSettingsLength] = {
        params.baudCode,
        params.parity,
        static_cast<std::uint8_t>(reg >> 16),
        static_cast<std::uint8_t>(reg >> 8),
        static_cast<std::uint8_t>(reg),
        params.spreadingFactor,
        params.mode,
        params.bandwidthCode,
        params.nodeIdHigh,
        params.nodeIdLow,
        params.netId,
        params.power,
        params.breathIndex,
        params.wakeIndex,
    };
    for (std::size_t i = 0; i < kSettingsLength; ++i) {
        frame[offset::kSettings + i] = settings[i];
    }
    frame[offset::kChecksum] = Checksum(frame.data(), offset::kChecksum);
    frame[23] = 0x0D;
    frame[24] = 0x0A;
    return frame;
}

Frame BuildWriteRequest(const ModuleParams& params) {
    return BuildFrame(kCommandWriteAll, params);
}

const Frame& ReadRequest() {
    static const Frame request = BuildFrame(kCommandReadAll, ModuleParams{});
    return request;
}

ModuleParams DecodeSettings(const std::uint8_t* frame) {
    const std::uint8_t* s = frame + offset::kSettings;
    ModuleParams params;
    params.command = frame[offset::kCommand];
    params.baudCode = s[0];
    params.parity = s[1];
    params.frequencyMHz =
        RegisterToFrequency((std::uint32_t{s[2]} << 16) | (std::uint32_t{s[3]} << 8) | s[4]);
    params.spreadingFactor = s[5];
    params.mode = s[6];
    params.bandwidthCode = s[7];
    params.nodeIdHigh = s[8];
    params.nodeIdLow = s[9];
    params.netId = s[10];
    params.power = s[11];
    params.breathIndex = s[12];
    params.wakeIndex = s[13];
    return params;
}

}  // namespace vesk
