// Conversion between the carrier frequency in MHz and the module's 24-bit
// frequency register. Both directions are defined in x87 extended precision;
// they are computed here with an exact software model of that format so the
// results are bit-identical on every compiler and processor.
#pragma once

#include <cstdint>

namespace vesk {

// Register value for `frequencyMHz`: the product with 1/61.035 rounded to a
// double, times 1000000, truncated, low 24 bits kept. NaN, infinities and
// values whose integer part does not fit 64 bits give 0 (the x87 "integer
// indefinite" value keeps no low bits); negative values give the low 24 bits
// of the two's-complement integer.
std::uint32_t FrequencyToRegister(double frequencyMHz);

// Frequency for register value `reg` (low 24 bits used): reg * 1e-6 *
// 61.03515625, truncated to two decimals.
double RegisterToFrequency(std::uint32_t reg);

}  // namespace vesk
