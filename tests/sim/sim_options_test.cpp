// vesk-sim's command line: accepted forms, range checks, and the initial settings.
#include "sim/sim_options.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace vesk::sim {
namespace {

TEST(DefaultModuleSettings, DifferFromTheWindowsDefaultsInEveryFieldButTheSpeedCode) {
    const ModuleParams s = DefaultModuleSettings();
    EXPECT_EQ(s.baudCode, 4);  // the window's PC speed too: readable without changes
    EXPECT_NE(s.parity, 0);
    EXPECT_NE(s.frequencyMHz, 434.00);
    EXPECT_NE(s.spreadingFactor, 11);
    EXPECT_NE(s.mode, 0);
    EXPECT_NE(s.bandwidthCode, 7);
    EXPECT_NE((s.nodeIdHigh << 8) | s.nodeIdLow, 0);
    EXPECT_NE(s.netId, 0);
    EXPECT_NE(s.power, 7);
    EXPECT_NE(s.breathIndex, 0);
    EXPECT_NE(s.wakeIndex, 4);
}

struct GoodCase {
    std::string name;
    std::vector<std::string> args;
    std::function<bool(const SimOptions&)> holds;
};

class AcceptedOptions : public ::testing::TestWithParam<GoodCase> {};

TEST_P(AcceptedOptions, AreParsed) {
    const ParseResult result = ParseOptions(GetParam().args);
    ASSERT_EQ(result.error, "");
    EXPECT_TRUE(GetParam().holds(result.options));
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, AcceptedOptions,
    ::testing::Values(
        GoodCase{"NothingGivesTheDefaults",
                 {},
                 [](const SimOptions& o) {
                     return !o.comNumber && o.devicePath.empty() && o.lineTime && !o.split &&
                            !o.mute && !o.stall && !o.seed && o.noiseRate == 0.0 &&
                            o.settings == DefaultModuleSettings();
                 }},
        GoodCase{"ComTakesASeparateValue",
                 {"--com", "12"},
                 [](const SimOptions& o) { return o.comNumber == 12u; }},
        GoodCase{"ComTakesAnEqualsValue",
                 {"--com=255"},
                 [](const SimOptions& o) { return o.comNumber == 255u; }},
        GoodCase{"NoLineTimeTurnsItOff",
                 {"--no-line-time"},
                 [](const SimOptions& o) { return !o.lineTime; }},
        GoodCase{"TheLastOfLineTimeAndNoLineTimeWins",
                 {"--no-line-time", "--line-time"},
                 [](const SimOptions& o) { return o.lineTime; }},
        GoodCase{"RatesTakeFractions",
                 {"--noise", "0.25", "--corrupt=1", "--drop", "0"},
                 [](const SimOptions& o) {
                     return o.noiseRate == 0.25 && o.corruptRate == 1.0 && o.dropRate == 0.0;
                 }},
        GoodCase{"FlagsAreSet",
                 {"--split", "--mute", "--stall", "--log"},
                 [](const SimOptions& o) { return o.split && o.mute && o.stall && o.log; }},
        GoodCase{"SeedTakesTheWholeRange",
                 {"--seed", "18446744073709551615"},
                 [](const SimOptions& o) { return o.seed == UINT64_MAX; }},
        GoodCase{"NodeIdIsSplitIntoItsBytes",
                 {"--node-id", "44975"},
                 [](const SimOptions& o) {
                     return o.settings.nodeIdHigh == 0xAF && o.settings.nodeIdLow == 0xAF;
                 }},
        GoodCase{"EverySettingCanBeGiven",
                 {"--baud-code",
                  "5",
                  "--parity",
                  "0",
                  "--frequency",
                  "433.92",
                  "--spreading-factor",
                  "12",
                  "--mode",
                  "2",
                  "--bandwidth-code",
                  "6",
                  "--net-id",
                  "255",
                  "--power",
                  "1",
                  "--breath",
                  "4",
                  "--wake",
                  "5"},
                 [](const SimOptions& o) {
                     const ModuleParams& s = o.settings;
                     return s.baudCode == 5 && s.parity == 0 && s.frequencyMHz == 433.92 &&
                            s.spreadingFactor == 12 && s.mode == 2 && s.bandwidthCode == 6 &&
                            s.netId == 255 && s.power == 1 && s.breathIndex == 4 &&
                            s.wakeIndex == 5;
                 }},
        GoodCase{"BreathAndWakeTake255ForNoSelection",
                 {"--breath", "255", "--wake=255"},
                 [](const SimOptions& o) {
                     return o.settings.breathIndex == 255 && o.settings.wakeIndex == 255;
                 }},
        GoodCase{"DeviceTakesAPath",
                 {"--device", "/dev/ttyUSB3"},
                 [](const SimOptions& o) { return o.devicePath == "/dev/ttyUSB3"; }}),
    [](const auto& testCase) { return testCase.param.name; });

struct BadCase {
    std::string name;
    std::vector<std::string> args;
    std::string errorPart;
};

class RejectedOptions : public ::testing::TestWithParam<BadCase> {};

TEST_P(RejectedOptions, AreReportedWithAReason) {
    const ParseResult result = ParseOptions(GetParam().args);
    EXPECT_NE(result.error.find(GetParam().errorPart), std::string::npos) << result.error;
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, RejectedOptions,
    ::testing::Values(
        BadCase{"AnUnknownOption", {"--turbo"}, "unknown option: --turbo"},
        BadCase{"AMissingValue", {"--com"}, "--com needs a value"},
        BadCase{"ComZero", {"--com", "0"}, "bad value for --com"},
        BadCase{"ComAbove255", {"--com", "256"}, "bad value for --com"},
        BadCase{"ANegativeNumber", {"--reply-delay", "-5"}, "--reply-delay"},
        BadCase{"TrailingCharacters", {"--power", "5x"}, "--power"},
        BadCase{"PowerOutOfRange", {"--power", "8"}, "1 to 7"},
        BadCase{"ARateAboveOne", {"--noise", "1.5"}, "0 to 1"},
        BadCase{"ANotANumberRate", {"--drop", "nan"}, "--drop"},
        BadCase{"BaudCodeOutsideTheTable", {"--baud-code", "9"}, "0 to 8"},
        BadCase{"FrequencyAboveTheRange", {"--frequency", "1024"}, "MHz"},
        BadCase{"BreathBetween4And255", {"--breath", "5"}, "--breath"},
        BadCase{"AFlagWithAValue", {"--split=1"}, "--split takes no value"},
        BadCase{"ComWithDevice", {"--com", "3", "--device", "/dev/ttyS0"}, "exclude each other"}),
    [](const auto& testCase) { return testCase.param.name; });

}  // namespace
}  // namespace vesk::sim
