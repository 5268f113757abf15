#include "sim/fault_injector.h"

namespace vesk::sim {

bool FaultInjector::Chance(double rate) {
    // 53 random bits as a fraction in [0, 1): the same on every standard library.
    const double fraction = static_cast<double>(generator() >> 11) * 0x1.0p-53;
    return fraction < rate;
}

Transmission FaultInjector::Apply(const Frame& reply) {
    Transmission out;
    out.frame = reply;
    out.dropped = Chance(rates.drop);
    out.corrupted = Chance(rates.corrupt);
    const bool noisy = Chance(rates.noise);
    if (out.corrupted) {
        out.frame[offset::kChecksum] = static_cast<std::uint8_t>(out.frame[offset::kChecksum] + 1);
    }
    if (noisy) {
        const std::size_t count = 1 + generator() % 8;
        while (out.noise.size() < count) {
            const auto byte = static_cast<std::uint8_t>(generator());
            if (byte != 0xAF) {
                out.noise.push_back(byte);
            }
        }
    }
    return out;
}

}  // namespace vesk::sim
