#include "link/reply_assembler.h"

#include "link/parameter_frame.h"

namespace vesk {
namespace {

constexpr std::uint8_t kSync = 0xAF;
constexpr std::uint8_t kCarriageReturn = 0x0D;
constexpr std::uint8_t kLineFeed = 0x0A;
constexpr int kMinClosedLength = 10;
constexpr int kMaxOverLength = 15;

}  // namespace

void ReplyAssembler::Reset() {
    rxCount = 0;
    syncRun = 0;
    inFrame = false;
}

void ReplyAssembler::Append(std::uint8_t byte) {
    rxBuffer[static_cast<std::size_t>(rxCount++)] = byte;
}

ReplyAssembler::Outcome ReplyAssembler::Feed(std::uint8_t byte) {
    if (byte == kSync) {
        if (++syncRun == 2) {  // two in a row always start a new frame
            syncRun = 0;
            rxBuffer[0] = rxBuffer[1] = kSync;
            rxCount = 2;
            inFrame = true;
            return Outcome::kNone;
        }
        if (!inFrame) {
            return Outcome::kNone;  // remembered, pairs with an 0xAF right after it
        }
        Append(byte);
        if (rxCount > static_cast<int>(kMaxHeld)) {
            Reset();
        }
        return Outcome::kNone;
    }

    syncRun = 0;
    if (!inFrame) {
        Reset();
        return Outcome::kNone;
    }
    Append(byte);

    if (byte == kLineFeed) {
        Outcome outcome = Outcome::kNone;
        if (rxCount >= kMinClosedLength &&
            rxBuffer[static_cast<std::size_t>(rxCount - 2)] == kCarriageReturn) {
            outcome = CloseFrame();
        }
        if (rxCount > static_cast<int>(kMaxHeld)) {
            Reset();
        }
        return outcome;
    }

    if (rxCount > static_cast<int>(kMaxHeld)) {
        Reset();
        return Outcome::kNone;
    }
    // The declared length bounds the frame; a plain sum, not taken modulo 256.
    const int declaredLength = rxBuffer[offset::kLength];
    if (rxCount > kMaxOverLength && rxCount > declaredLength + kMaxOverLength) {
        Reset();
    }
    return Outcome::kNone;
}

ReplyAssembler::Outcome ReplyAssembler::CloseFrame() {
    const std::size_t checksumAt = (rxBuffer[offset::kLength] + 8u) % 256u;
    const bool good = rxBuffer[checksumAt] == Checksum(rxBuffer.data(), checksumAt);
    Reset();
    return good ? Outcome::kGoodFrame : Outcome::kBadChecksum;
}

}  // namespace vesk
