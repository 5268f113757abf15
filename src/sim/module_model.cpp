#include "sim/module_model.h"

#include <algorithm>

#include "sim/module_speed.h"

namespace vesk::sim {
namespace {

constexpr std::uint8_t kHeader[] = {0xAF, 0xAF, 0x00, 0x00, 0xAF, 0x80};
constexpr std::size_t kBaudCodeIndex = 0;

}  // namespace

SettingsBlock BlockFromParams(const ModuleParams& params) {
    const Frame frame = BuildFrame(kCommandWriteAll, params);
    SettingsBlock block{};
    std::copy_n(frame.begin() + offset::kSettings, kSettingsLength, block.begin());
    return block;
}

ModuleParams ParamsFromBlock(const SettingsBlock& block) {
    const Frame frame = BuildReply(0, block);
    return DecodeSettings(frame.data());
}

Frame BuildReply(std::uint8_t command, const SettingsBlock& block) {
    Frame frame{};
    std::copy(std::begin(kHeader), std::end(kHeader), frame.begin());
    frame[offset::kCommand] = command;
    frame[offset::kLength] = kSettingsLength;
    std::copy(block.begin(), block.end(), frame.begin() + offset::kSettings);
    frame[offset::kChecksum] = Checksum(frame.data(), offset::kChecksum);
    frame[23] = 0x0D;
    frame[24] = 0x0A;
    return frame;
}

const char* VerdictName(Verdict verdict) {
    switch (verdict) {
        case Verdict::kNothing:
            return "nothing";
        case Verdict::kRequest:
            return "request";
        case Verdict::kBadHeader:
            return "bad header";
        case Verdict::kBadLength:
            return "length is not 14";
        case Verdict::kBadChecksum:
            return "bad checksum";
        case Verdict::kUnknownCommand:
            return "unknown command";
    }
    return "?";
}

int ModuleModel::LineBaud() const {
    return BaudForCode(settings[kBaudCodeIndex]);
}

Verdict ModuleModel::Classify() const {
    if (held < kFrameSize || window[0] != 0xAF || window[1] != 0xAF || window[23] != 0x0D ||
        window[24] != 0x0A) {
        return Verdict::kNothing;
    }
    if (!std::equal(std::begin(kHeader), std::end(kHeader), window.begin())) {
        return Verdict::kBadHeader;
    }
    if (window[offset::kLength] != kSettingsLength) {
        return Verdict::kBadLength;
    }
    if (window[offset::kChecksum] != Checksum(window.data(), offset::kChecksum)) {
        return Verdict::kBadChecksum;
    }
    const std::uint8_t command = window[offset::kCommand];
    if (command != kCommandReadAll && command != kCommandWriteAll) {
        return Verdict::kUnknownCommand;
    }
    return Verdict::kRequest;
}

ModuleStep ModuleModel::Feed(std::uint8_t byte) {
    if (held == kFrameSize) {
        std::copy(window.begin() + 1, window.end(), window.begin());
        --held;
    }
    window[held++] = byte;

    ModuleStep step;
    step.verdict = Classify();
    if (step.verdict != Verdict::kRequest) {
        return step;
    }
    const std::uint8_t command = window[offset::kCommand];
    if (command == kCommandWriteAll) {
        const int oldBaud = LineBaud();
        std::copy_n(window.begin() + offset::kSettings, kSettingsLength, settings.begin());
        step.speedChanged = LineBaud() != oldBaud;
    }
    step.reply = BuildReply(command, settings);
    // A request's bytes are used once: the next request starts after it.
    held = 0;
    return step;
}

}  // namespace vesk::sim
