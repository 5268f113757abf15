// Finds reply frames in the received byte stream, one byte at a time: a frame
// starts at two consecutive 0xAF bytes and ends at the first 0x0D 0x0A whose
// 0x0A lands at offset 9 or later; its checksum sits at offset 8 + length byte
// (modulo 256) and covers every byte before it. The rules that look odd (odd
// runs of 0xAF, restarts inside a frame, extra bytes before the end, the
// length bound) are what peers rely on and are kept as they are.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vesk {

class ReplyAssembler {
  public:
    enum class Outcome { kNone, kGoodFrame, kBadChecksum };

    // Feeds one byte. On kGoodFrame, Frame() holds the frame just completed.
    Outcome Feed(std::uint8_t byte);

    // The assembly buffer; at least 256 bytes, so offsets 0..255 are always valid.
    const std::uint8_t* Frame() const { return rxBuffer.data(); }

    static constexpr std::size_t kMaxHeld = 512;

  private:
    void Reset();
    void Append(std::uint8_t byte);
    Outcome CloseFrame();

    // Never cleared after construction: a frame that closes early reads its
    // checksum from whatever an earlier frame left there.
    std::array<std::uint8_t, 1024> rxBuffer{};
    int rxCount = 0;
    int syncRun = 0;
    bool inFrame = false;
};

}  // namespace vesk
