#include "link/extended_float.h"

#include <cmath>

namespace vesk {
namespace {

struct U128 {
    std::uint64_t high;
    std::uint64_t low;
};

// Full 64 x 64 -> 128 bit product from 32-bit halves, so no compiler extension is needed.
U128 MultiplyWide(std::uint64_t a, std::uint64_t b) {
    const std::uint64_t aLow = a & 0xFFFFFFFFu, aHigh = a >> 32;
    const std::uint64_t bLow = b & 0xFFFFFFFFu, bHigh = b >> 32;
    const std::uint64_t lowLow = aLow * bLow;
    const std::uint64_t lowHigh = aLow * bHigh;
    const std::uint64_t highLow = aHigh * bLow;
    const std::uint64_t highHigh = aHigh * bHigh;
    const std::uint64_t middle = (lowLow >> 32) + (lowHigh & 0xFFFFFFFFu) + (highLow & 0xFFFFFFFFu);
    return {highHigh + (lowHigh >> 32) + (highLow >> 32) + (middle >> 32),
            (middle << 32) | (lowLow & 0xFFFFFFFFu)};
}

int LeadingZeros(std::uint64_t value) {
    int count = 0;
    for (std::uint64_t bit = std::uint64_t{1} << 63; bit != 0 && (value & bit) == 0; bit >>= 1) {
        ++count;
    }
    return count;
}

// Rounds `kept` to nearest even given the bits dropped below it: `dropped` holds
// them left-aligned (its top bit weighs half a unit of `kept`).
bool RoundsUp(std::uint64_t kept, std::uint64_t dropped) {
    constexpr std::uint64_t kHalf = std::uint64_t{1} << 63;
    return dropped > kHalf || (dropped == kHalf && (kept & 1) != 0);
}

}  // namespace

Extended Extended::FromDouble(double value) {
    Extended result;
    if (value == 0.0) {
        return result;
    }
    result.negative = std::signbit(value);
    int exponent = 0;
    const double fraction = std::frexp(std::fabs(value), &exponent);  // in [0.5, 1)
    const auto bits53 = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    result.significand = bits53 << 11;
    result.exponent = exponent - 64;
    return result;
}

Extended Extended::FromInteger(std::uint64_t value) {
    Extended result;
    if (value == 0) {
        return result;
    }
    const int shift = LeadingZeros(value);
    result.significand = value << shift;
    result.exponent = -shift;
    return result;
}

Extended Extended::FromBits(std::uint16_t biasedExponent, std::uint64_t significand) {
    Extended result;
    result.negative = (biasedExponent & 0x8000) != 0;
    result.significand = significand;
    result.exponent = static_cast<std::int32_t>(biasedExponent & 0x7FFF) - 16383 - 63;
    return result;
}

Extended Multiply(const Extended& a, const Extended& b) {
    Extended result;
    if (a.IsZero() || b.IsZero()) {
        return result;
    }
    result.negative = a.negative != b.negative;
    // Both significands are in [2^63, 2^64), so the product is in [2^126, 2^128).
    const U128 product = MultiplyWide(a.significand, b.significand);
    std::uint64_t kept = product.high;
    std::uint64_t dropped = product.low;
    int exponent = a.exponent + b.exponent + 64;
    if ((kept >> 63) == 0) {
        kept = (kept << 1) | (dropped >> 63);
        dropped <<= 1;
        exponent -= 1;
    }
    if (RoundsUp(kept, dropped)) {
        kept += 1;
        if (kept == 0) {  // carried out of the top bit
            kept = std::uint64_t{1} << 63;
            exponent += 1;
        }
    }
    result.significand = kept;
    result.exponent = exponent;
    return result;
}

double ToDouble(const Extended& value) {
    if (value.IsZero()) {
        return value.negative ? -0.0 : 0.0;
    }
    std::uint64_t kept = value.significand >> 11;
    const std::uint64_t dropped = value.significand << 53;
    int exponent = value.exponent + 11;
    if (RoundsUp(kept, dropped)) {
        kept += 1;
        if (kept == (std::uint64_t{1} << 53)) {
            kept >>= 1;
            exponent += 1;
        }
    }
    const double magnitude = std::ldexp(static_cast<double>(kept), exponent);
    return value.negative ? -magnitude : magnitude;
}

std::optional<std::int64_t> Truncate(const Extended& value) {
    if (value.IsZero() || value.exponent <= -64) {
        return 0;
    }
    if (value.exponent >= 0) {
        return std::nullopt;  // at least 2^63
    }
    const std::uint64_t magnitude = value.significand >> -value.exponent;
    if (magnitude > static_cast<std::uint64_t>(INT64_MAX)) {
        return std::nullopt;
    }
    const auto integer = static_cast<std::int64_t>(magnitude);
    return value.negative ? -integer : integer;
}

}  // namespace vesk
