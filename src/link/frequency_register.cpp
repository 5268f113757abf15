#include "link/frequency_register.h"

#include <cmath>

#include "link/extended_float.h"

namespace vesk {
namespace {

// 1 / 61.035 with 61.035 first rounded to a double and the division done in
// extended precision. Not the extended value nearest to 1/61.035, which would
// encode 244.14, 488.28 and 976.56 MHz one step too low.
const Extended kInverseWriteStep = Extended::FromBits(0x3FF9, 0x8637D38A4EBA31A2);
// The extended value nearest to 0.000001.
const Extended kMicro = Extended::FromBits(0x3FEB, 0x8637BD05AF6C69B6);
// Reading and writing use different step constants.
const Extended kReadStep = Extended::FromDouble(61.03515625);
const Extended kMillion = Extended::FromInteger(1000000);
const Extended kHundred = Extended::FromInteger(100);

constexpr std::uint32_t kRegisterMask = 0xFFFFFF;

}  // namespace

std::uint32_t FrequencyToRegister(double frequencyMHz) {
    if (!std::isfinite(frequencyMHz)) {
        return 0;
    }
    const double scaled = ToDouble(Multiply(Extended::FromDouble(frequencyMHz), kInverseWriteStep));
    const auto integer = Truncate(Multiply(Extended::FromDouble(scaled), kMillion));
    if (!integer) {
        return 0;
    }
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(*integer) & kRegisterMask);
}

double RegisterToFrequency(std::uint32_t reg) {
    const double megaSteps = ToDouble(Multiply(Extended::FromInteger(reg & kRegisterMask), kMicro));
    const double frequency = ToDouble(Multiply(Extended::FromDouble(megaSteps), kReadStep));
    const double whole = std::trunc(frequency);
    // frequency - whole is exact, and so is its product with 100 in extended precision.
    const std::int64_t hundredths =
        Truncate(Multiply(Extended::FromDouble(frequency - whole), kHundred)).value_or(0);
    const auto cents = static_cast<std::int64_t>(whole) * 100 + hundredths;
    return static_cast<double>(cents) / 100.0;  // the double nearest to cents / 100
}

}  // namespace vesk
