// The simulated module's behaviour as a pure model: received bytes in, reply
// frames out, and the settings it then holds. Nothing here touches a port or
// a clock, so the model is tested by table.
//
// Requests are found with a sliding window over the last 25 bytes: they count
// only when those bytes are AF AF 00 00 AF 80, a command (0x01 write all, 0x02
// read all), the length 14, a settings block, the checksum of bytes 0 to 21
// and 0D 0A. Anything else (noise, partial or damaged frames, floods) is
// skipped without an answer, and the model never holds more than 25 bytes.
//
// A read request is answered with the stored settings; a write request stores
// its settings block byte for byte (the frequency register as sent, not as
// re-encoded from MHz) and is answered with what was stored. Replies carry the
// command byte of the request they answer: 0x02 for read all, 0x01 for write all.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "link/parameter_frame.h"

namespace vesk::sim {

using SettingsBlock = std::array<std::uint8_t, kSettingsLength>;

SettingsBlock BlockFromParams(const ModuleParams& params);
ModuleParams ParamsFromBlock(const SettingsBlock& block);
// A frame with the fixed header, `command`, length 14, `block` and its checksum.
Frame BuildReply(std::uint8_t command, const SettingsBlock& block);

// What the last received byte completed.
enum class Verdict {
    kNothing,         // no 25-byte frame ends here
    kRequest,         // a valid request, answered
    kBadHeader,       // AF AF ... 0D 0A, but bytes 2 to 5 are not 00 00 AF 80
    kBadLength,       // length byte other than 14
    kBadChecksum,     // checksum does not match bytes 0 to 21
    kUnknownCommand,  // neither 0x01 nor 0x02
};

const char* VerdictName(Verdict verdict);

struct ModuleStep {
    Verdict verdict = Verdict::kNothing;
    std::optional<Frame> reply;  // set only with kRequest
    bool speedChanged = false;   // the stored baud code now names another line speed
};

class ModuleModel {
  public:
    explicit ModuleModel(const SettingsBlock& initial) : settings(initial) {}

    ModuleStep Feed(std::uint8_t byte);
    // Forgets a partly received frame, as when the line was unreadable.
    void DiscardPartial() { held = 0; }

    const SettingsBlock& Settings() const { return settings; }
    // The speed the module listens and answers at, from its stored baud code.
    int LineBaud() const;
    // Parity of the module's line (0 none, 1 odd, 2 even, as stored).
    std::uint8_t LineParity() const { return settings[1]; }
    // The 25 bytes that made the last verdict other than kNothing.
    const Frame& LastFrame() const { return window; }

  private:
    Verdict Classify() const;

    SettingsBlock settings;
    Frame window{};
    std::size_t held = 0;
};

}  // namespace vesk::sim
