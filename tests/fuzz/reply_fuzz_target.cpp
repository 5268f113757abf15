// Fuzz target for the reply path: received bytes through VeskSerial::OnByte
// (the reassembler, the checksum test and DecodeSettings) next to a plain
// model of the framing rules. Aborts when the two disagree, when more than 513
// bytes are held, or when a frame counts as good without a matching checksum;
// the sanitizers catch any read outside the buffer.
//
// Input: the first byte picks the mode. Even: the rest is the received stream
// as it stands. Odd: the rest is a recipe of raw runs and synthesized frames
// whose checksums are right, so the fuzzer reaches decoding at once.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "link/parameter_frame.h"
#include "link/protocol_endpoint.h"
#include "platform/window_message.h"

namespace {

using vesk::VeskSerial;
using Bytes = std::vector<std::uint8_t>;

void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "reply fuzz invariant broken: %s\n", what);
        std::abort();
    }
}

enum class Outcome { kNone, kGood, kBad };

// The framing rules, written out step by step from the protocol: frames start
// at two 0xAF in a row, close at a 0D 0A whose 0A lands at offset 9 or later,
// carry their checksum at length + 8 (mod 256), and are dropped past 512 bytes
// or past their declared length + 15.
class FramingModel {
  public:
    Outcome Feed(std::uint8_t byte) {
        if (byte == 0xAF) {
            if (++syncRun == 2) {
                syncRun = 0;
                Store(0, 0xAF);
                Store(1, 0xAF);
                count = 2;
                inFrame = true;
                return Outcome::kNone;
            }
            if (inFrame) {
                Append(byte);
                DropPast512();
            }
            return Outcome::kNone;
        }
        syncRun = 0;
        if (!inFrame) {
            Drop();
            return Outcome::kNone;
        }
        Append(byte);
        if (byte == 0x0A) {
            Outcome outcome = Outcome::kNone;
            if (count >= 10 && buffer[count - 2] == 0x0D) {
                const std::size_t at = (buffer[7] + 8u) % 256u;
                unsigned sum = 0;
                for (std::size_t i = 0; i < at; ++i) {
                    sum += buffer[i];
                }
                outcome = buffer[at] == (sum & 0xFF) ? Outcome::kGood : Outcome::kBad;
                closed = buffer;
                Drop();
            }
            DropPast512();
            return outcome;
        }
        if (DropPast512()) {
            return Outcome::kNone;
        }
        if (count > 15 && count > buffer[7] + 15u) {
            Drop();
        }
        return Outcome::kNone;
    }

    std::size_t Held() const { return count; }
    const std::uint8_t* Closed() const { return closed.data(); }

  private:
    void Store(std::size_t at, std::uint8_t byte) { buffer[at] = byte; }
    void Append(std::uint8_t byte) { Store(count++, byte); }
    void Drop() {
        count = 0;
        syncRun = 0;
        inFrame = false;
    }
    bool DropPast512() {
        if (count > 512) {
            Drop();
            return true;
        }
        return false;
    }

    std::vector<std::uint8_t> buffer = std::vector<std::uint8_t>(1024, 0);
    std::vector<std::uint8_t> closed = std::vector<std::uint8_t>(1024, 0);
    std::size_t count = 0;
    int syncRun = 0;
    bool inFrame = false;
};

// OnByte made callable; no port is ever opened.
class FuzzedEndpoint : public VeskSerial {
  public:
    using VeskSerial::OnByte;
};

struct Posted {
    int good = 0;
    int bad = 0;
    int other = 0;
};

Posted& Counts() {
    static Posted posted;
    return posted;
}

vesk::platform::WindowHandle CountingWindow() {
    static const vesk::platform::WindowHandle window = vesk::platform::RegisterWindowTarget(
        [](std::uint32_t, std::uintptr_t wParam, std::intptr_t) {
            Posted& posted = Counts();
            if (wParam == VeskSerial::kReplyGood) {
                ++posted.good;
            } else if (wParam == VeskSerial::kReplyBadChecksum) {
                ++posted.bad;
            } else {
                ++posted.other;
            }
        });
    return window;
}

// Odd mode. Each step reads a control byte: below 0x80 it copies that many
// (mod 64) raw bytes; from 0x80 it builds a frame from the next bytes (command,
// length, 14 settings bytes, filler up to the checksum), puts the right
// checksum at length + 8, and closes it with 0D 0A after (control & 7) extra bytes.
Bytes Synthesize(const std::uint8_t* data, std::size_t size) {
    Bytes stream;
    std::size_t at = 0;
    auto next = [&]() -> std::uint8_t { return at < size ? data[at++] : 0; };
    while (at < size) {
        const std::uint8_t control = next();
        if (control < 0x80) {
            for (int i = control % 64; i > 0 && at < size; --i) {
                stream.push_back(next());
            }
            continue;
        }
        Bytes frame = {0xAF, 0xAF, 0x00, 0x00, 0xAF, 0x80, next(), next()};
        for (std::size_t i = 0; i < vesk::kSettingsLength; ++i) {
            frame.push_back(next());
        }
        const std::size_t checksumAt = (frame[vesk::offset::kLength] + 8u) % 256u;
        while (frame.size() <= checksumAt) {
            frame.push_back(next());
        }
        if (checksumAt >= 2) {
            frame[checksumAt] = vesk::Checksum(frame.data(), checksumAt);
        }
        for (int i = control & 7; i > 0; --i) {
            frame.push_back(next());
        }
        frame.push_back(0x0D);
        frame.push_back(0x0A);
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    return stream;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const Bytes stream =
        (data[0] & 1) != 0 ? Synthesize(data + 1, size - 1) : Bytes(data + 1, data + size);
    static const std::uint32_t message =
        vesk::platform::RegisterWindowMessage("QuondaSerial_MSG_RECV_1");
    FuzzedEndpoint endpoint;
    endpoint.SetNotify(CountingWindow(), message);
    Counts() = {};
    FramingModel model;
    Posted expected;
    for (std::uint8_t byte : stream) {
        const Outcome outcome = model.Feed(byte);
        endpoint.OnByte(byte);
        Require(model.Held() <= 513, "more than 513 bytes held");
        if (outcome == Outcome::kGood) {
            ++expected.good;
            Require(endpoint.LastReply() == vesk::DecodeSettings(model.Closed()),
                    "a good frame decoded to other settings");
        } else if (outcome == Outcome::kBad) {
            ++expected.bad;
        }
        const Posted& posted = Counts();
        Require(posted.good == expected.good, "good notifications differ from the framing rules");
        Require(posted.bad == expected.bad, "damaged notifications differ from the framing rules");
        Require(posted.other == 0, "a notification that received bytes cannot cause");
    }
    return 0;
}
