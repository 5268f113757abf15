// The module's end of the serial line: a pseudo-terminal master, or a real
// port for a null-modem pair. The host reads and writes Fd() (non-blocking).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vesk::sim {

class ModuleLine {
  public:
    virtual ~ModuleLine() = default;

    virtual int Fd() const = 0;
    // The speed the PC side has set, when this line can see it. A real port
    // cannot: there a speed mismatch garbles the bytes by itself.
    virtual std::optional<int> PeerBaud() const = 0;
    // Switches the module's own end of the line. A pseudo-terminal has one set
    // of line settings shared by both ends, which belong to the PC side, so
    // there the module's speed lives in its settings alone.
    virtual bool SetLineFormat(int baud, std::uint8_t parity) = 0;
};

}  // namespace vesk::sim
