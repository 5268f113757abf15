// The faults a reply may suffer on its way out, drawn from a seeded generator
// so that a run with --seed repeats exactly. Each reply draws its choices in a
// fixed order (drop, corrupt, noise), whatever the rates.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "link/parameter_frame.h"

namespace vesk::sim {

struct FaultRates {
    double noise = 0.0;
    double corrupt = 0.0;
    double drop = 0.0;
};

// The bytes that go on the line for one reply.
struct Transmission {
    bool dropped = false;
    bool corrupted = false;
    std::vector<std::uint8_t> noise;  // sent before the frame
    Frame frame{};
};

class FaultInjector {
  public:
    FaultInjector(const FaultRates& faultRates, std::uint64_t seed)
        : rates(faultRates), generator(seed) {}

    // Noise is 1 to 8 random bytes other than 0xAF: a lone 0xAF right before a
    // frame would pair with the frame's first byte and lose the frame, which
    // is the reader's framing rule rather than line noise worth simulating.
    // A corrupted checksum is always different from the right one.
    Transmission Apply(const Frame& reply);

  private:
    bool Chance(double rate);

    FaultRates rates;
    std::mt19937_64 generator;
};

}  // namespace vesk::sim
