// Frequency <-> register conversions: the documented examples, and the exact
// software method held against x87 extended precision over the whole domain.
#include "link/frequency_register.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

namespace vesk {
namespace {

enum class Direction { kEncode, kDecode, kBoth };

struct ConversionCase {
    const char* description;
    double frequencyMHz;
    std::uint32_t reg;
    Direction direction;
};

const ConversionCase kCases[] = {
    {"434.00 MHz is register 6C 80 12 both ways", 434.00, 0x6C8012, Direction::kBoth},
    {"6C 80 00 also reads as 434.00", 434.00, 0x6C8000, Direction::kDecode},
    {"868.00 MHz encodes as D9 00 24", 868.00, 0xD90024, Direction::kEncode},
    {"433.92 MHz is 6C 7A F3 both ways", 433.92, 0x6C7AF3, Direction::kBoth},
    {"99.99 MHz is 18 FF 60 both ways", 99.99, 0x18FF60, Direction::kBoth},
    {"6C 5F FF truncates to 433.49, not 433.50", 433.49, 0x6C5FFF, Direction::kDecode},
    {"6C 60 00 reads as 433.50", 433.50, 0x6C6000, Direction::kDecode},
    {"244.14 MHz is 3D 09 00 both ways", 244.14, 0x3D0900, Direction::kBoth},
    {"488.28 MHz is 7A 12 00 both ways", 488.28, 0x7A1200, Direction::kBoth},
    {"976.56 MHz is F4 24 00 both ways", 976.56, 0xF42400, Direction::kBoth},
    {"1023.99 MHz keeps the low 24 bits FF FF 87", 1023.99, 0xFFFF87, Direction::kEncode},
    {"1024.00 MHz wraps to 00 00 2A", 1024.00, 0x00002A, Direction::kEncode},
    {"0 MHz is register 0 both ways", 0.0, 0, Direction::kBoth},
};

TEST(FrequencyRegisterTest, DocumentedExamplesConvertExactly) {
    for (const ConversionCase& c : kCases) {
        SCOPED_TRACE(c.description);
        if (c.direction != Direction::kDecode) {
            EXPECT_EQ(FrequencyToRegister(c.frequencyMHz), c.reg);
        }
        if (c.direction != Direction::kEncode) {
            EXPECT_EQ(RegisterToFrequency(c.reg), c.frequencyMHz);
        }
    }
}

TEST(FrequencyRegisterTest, ValuesWithoutAnIntegerGiveRegisterZero) {
    const double inputs[] = {std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(), 1e300, -1e300};
    for (double input : inputs) {
        EXPECT_EQ(FrequencyToRegister(input), 0u) << input;
    }
}

TEST(FrequencyRegisterTest, OnlyTheLowTwentyFourRegisterBitsAreRead) {
    EXPECT_EQ(RegisterToFrequency(0xFF6C8012), 434.00);
}

#if defined(__x86_64__) && LDBL_MANT_DIG == 64

// The conversions as defined, in the x87 format this compiler's long double is.
std::uint32_t ReferenceEncode(double frequencyMHz) {
    const long double inverseStep = 1.0L / static_cast<long double>(61.035);
    const auto scaled = static_cast<double>(frequencyMHz * inverseStep);
    const auto integer = static_cast<std::int64_t>(scaled * 1000000.0L);
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(integer) & 0xFFFFFF);
}

double ReferenceDecode(std::uint32_t reg) {
    const auto megaSteps = static_cast<double>(reg * 0.000001L);
    const auto frequency = static_cast<double>(megaSteps * 61.03515625L);
    const long double whole = std::trunc(static_cast<long double>(frequency));
    const auto hundredths = static_cast<std::int64_t>((frequency - whole) * 100.0L);
    return static_cast<double>(whole + hundredths * 0.01L);
}

TEST(FrequencyRegisterExtendedTest, EveryRegisterValueDecodesAsInExtendedPrecision) {
    std::uint32_t mismatches = 0;
    for (std::uint32_t reg = 0; reg <= 0xFFFFFF; ++reg) {
        if (RegisterToFrequency(reg) != ReferenceDecode(reg) && ++mismatches <= 5) {
            ADD_FAILURE() << "register " << std::hex << reg;
        }
    }
    EXPECT_EQ(mismatches, 0u);
}

TEST(FrequencyRegisterExtendedTest, EveryTwoDecimalFrequencyEncodesAsInExtendedPrecision) {
    for (int cents = 0; cents <= 102399; ++cents) {
        const double frequency = cents / 100.0;
        ASSERT_EQ(FrequencyToRegister(frequency), ReferenceEncode(frequency)) << frequency;
    }
}

TEST(FrequencyRegisterExtendedTest, RandomFrequenciesEncodeAsInExtendedPrecision) {
    std::mt19937_64 random(20261211);
    std::uniform_real_distribution<double> inRange(0.0, 1100.0);
    for (int i = 0; i < 300000; ++i) {
        const double frequency = inRange(random);
        ASSERT_EQ(FrequencyToRegister(frequency), ReferenceEncode(frequency)) << frequency;
    }
}

TEST(FrequencyRegisterExtendedTest, RandomBitPatternsEncodeAsInExtendedPrecision) {
    // Any finite double whose register integer fits 64 bits, negatives and tiny values included.
    std::mt19937_64 random(7);
    int compared = 0;
    while (compared < 200000) {
        const std::uint64_t bits = random();
        double frequency = 0;
        static_assert(sizeof bits == sizeof frequency);
        std::memcpy(&frequency, &bits, sizeof frequency);
        if (!std::isfinite(frequency) || std::fabs(frequency) > 1e14 ||
            (frequency != 0 && std::fabs(frequency) < DBL_MIN * 1e20)) {
            continue;
        }
        ASSERT_EQ(FrequencyToRegister(frequency), ReferenceEncode(frequency)) << frequency;
        ++compared;
    }
}

#else

TEST(FrequencyRegisterExtendedTest, NeedsTheX87Format) {
    GTEST_SKIP() << "long double is not the x87 extended format here; the documented "
                    "examples above still hold the exact method";
}

#endif

}  // namespace
}  // namespace vesk
