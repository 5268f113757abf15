// A software model of the x87 extended format (64-bit significand, round to
// nearest even), just wide enough for the frequency conversions: products of
// two values, rounding to a double, and truncation to an integer. It keeps the
// conversions exact where `long double` is not the 80-bit format.
#pragma once

#include <cstdint>
#include <optional>

namespace vesk {

struct Extended {
    bool negative = false;
    std::int32_t exponent = 0;      // value = significand * 2^exponent
    std::uint64_t significand = 0;  // top bit set, or 0 for zero

    bool IsZero() const { return significand == 0; }

    // Exact conversions. `value` must be finite.
    static Extended FromDouble(double value);
    static Extended FromInteger(std::uint64_t value);
    // The 80-bit value with the given biased exponent and significand.
    static Extended FromBits(std::uint16_t biasedExponent, std::uint64_t significand);
};

// a * b rounded to a 64-bit significand, nearest even.
Extended Multiply(const Extended& a, const Extended& b);

// Nearest double, ties to even. Results in the normal double range only;
// subnormal results are rounded twice, which the conversions never meet.
double ToDouble(const Extended& value);

// Truncated toward zero; empty when the integer does not fit 64 bits signed.
std::optional<std::int64_t> Truncate(const Extended& value);

}  // namespace vesk
