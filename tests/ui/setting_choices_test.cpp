// The choice lists, CollectParams and ShowParams on selection state alone, without widgets.
#include "ui/setting_choices.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace vesk::ui {
namespace {

const NumberFormat kDot{".", ","};

TEST(SettingChoicesTest, DefaultsGiveTheDefaultWriteRecord) {
    const ModuleParams params = CollectParams(ModuleSelection{});
    ModuleParams expected{};
    expected.baudCode = 4;
    expected.parity = 0;
    expected.frequencyMHz = 434.0;
    expected.spreadingFactor = 11;
    expected.mode = 0;
    expected.bandwidthCode = 7;
    expected.power = 7;
    expected.breathIndex = 0;
    expected.wakeIndex = 4;
    EXPECT_EQ(params, expected);
}

TEST(SettingChoicesTest, ListsHoldTheirChoicesAndDefaults) {
    struct Row {
        const char* name;
        const ChoiceList& list;
        std::size_t count;
        std::string_view first, last, byDefault;
    };
    const Row rows[] = {
        {"RF_Factor", kRfFactorChoices, 6, "128", "4096", "2048"},
        {"RF_Mode", kRfModeChoices, 3, "Standard", "Node", "Standard"},
        {"RF_BW", kBandwidthChoices, 4, "62.5K", "500K", "125K"},
        {"BaudRate", kBaudRateChoices, 8, "1200", "115200", "9600"},
        {"Parity", kParityChoices, 3, "NO", "EVEN", "NO"},
        {"Power", kPowerChoices, 7, "1", "7", "7"},
        {"Breath", kBreathChoices, 5, "2s", "10s", "2s"},
        {"Wake Timer", kWakeTimerChoices, 6, "2ms", "64ms", "32ms"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_EQ(row.list.texts.size(), row.count);
        EXPECT_EQ(row.list.texts.front(), row.first);
        EXPECT_EQ(row.list.texts.back(), row.last);
        EXPECT_EQ(row.list.texts[row.list.defaultIndex], row.byDefault);
    }
}

TEST(SettingChoicesTest, NodeIdSplitsIntoHighAndLowBytesAndNetIdKeepsItsLowByte) {
    struct Row {
        double nodeId, netId;
        std::uint8_t high, low, net;
    };
    const Row rows[] = {
        {4660, 0, 0x12, 0x34, 0}, {65535, 255, 0xFF, 0xFF, 0xFF}, {4660.9, 12.7, 0x12, 0x34, 12},
        {0.5, 0.99, 0, 0, 0},     {256, 300, 0x01, 0x00, 44},
    };
    for (const Row& row : rows) {
        ModuleSelection selection;
        selection.nodeId.value = row.nodeId;
        selection.netId.value = row.netId;
        const ModuleParams params = CollectParams(selection);
        EXPECT_EQ(params.nodeIdHigh, row.high) << row.nodeId;
        EXPECT_EQ(params.nodeIdLow, row.low) << row.nodeId;
        EXPECT_EQ(params.netId, row.net) << row.netId;
    }
}

// Each row changes one code of an otherwise default reply and says what the
// selection then shows.
TEST(SettingChoicesTest, ShowParamsAppliesEachCodeByTheTable) {
    struct Row {
        const char* name;
        std::function<void(ModuleParams&)> code;
        std::function<int(const ModuleSelection&)> index;
        int expected;
    };
    const auto rfFactor = [](const ModuleSelection& s) { return s.rfFactor; };
    const auto rfMode = [](const ModuleSelection& s) { return s.rfMode; };
    const auto bandwidth = [](const ModuleSelection& s) { return s.bandwidth; };
    const auto baud = [](const ModuleSelection& s) { return s.baudRate; };
    const auto parity = [](const ModuleSelection& s) { return s.parity; };
    const auto power = [](const ModuleSelection& s) { return s.power; };
    const auto breath = [](const ModuleSelection& s) { return s.breath; };
    const auto wake = [](const ModuleSelection& s) { return s.wakeTimer; };
    const Row rows[] = {
        {"spreading factor 7 selects 128", [](auto& p) { p.spreadingFactor = 7; }, rfFactor, 0},
        {"spreading factor 12 selects 4096", [](auto& p) { p.spreadingFactor = 12; }, rfFactor, 5},
        {"spreading factor 6 keeps the list", [](auto& p) { p.spreadingFactor = 6; }, rfFactor, 1},
        {"spreading factor 13 keeps the list", [](auto& p) { p.spreadingFactor = 13; }, rfFactor,
         1},
        {"mode 2 selects Node", [](auto& p) { p.mode = 2; }, rfMode, 2},
        {"mode 3 keeps the list", [](auto& p) { p.mode = 3; }, rfMode, 1},
        {"bandwidth 9 selects 500K", [](auto& p) { p.bandwidthCode = 9; }, bandwidth, 3},
        {"bandwidth 5 keeps the list", [](auto& p) { p.bandwidthCode = 5; }, bandwidth, 2},
        {"bandwidth 10 keeps the list", [](auto& p) { p.bandwidthCode = 10; }, bandwidth, 2},
        {"speed 1 selects 1200", [](auto& p) { p.baudCode = 1; }, baud, 0},
        {"speed 0 selects 115200", [](auto& p) { p.baudCode = 0; }, baud, 7},
        {"speed 9 keeps the list", [](auto& p) { p.baudCode = 9; }, baud, 2},
        {"parity 2 selects EVEN", [](auto& p) { p.parity = 2; }, parity, 2},
        {"parity 3 keeps the list", [](auto& p) { p.parity = 3; }, parity, 1},
        {"power 1 selects 1", [](auto& p) { p.power = 1; }, power, 0},
        {"power 0 keeps the list", [](auto& p) { p.power = 0; }, power, 2},
        {"power 8 keeps the list", [](auto& p) { p.power = 8; }, power, 2},
        {"breath 4 selects 10s", [](auto& p) { p.breathIndex = 4; }, breath, 4},
        {"breath 5 clears the selection", [](auto& p) { p.breathIndex = 5; }, breath, kNoSelection},
        {"wake 5 selects 64ms", [](auto& p) { p.wakeIndex = 5; }, wake, 5},
        {"wake 6 clears the selection", [](auto& p) { p.wakeIndex = 6; }, wake, kNoSelection},
        {"wake 0xFF clears the selection", [](auto& p) { p.wakeIndex = 0xFF; }, wake, kNoSelection},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // Start from a selection that differs from the reply's other codes,
        // so "keeps the list" is visible.
        ModuleSelection selection;
        selection.rfFactor = 1;
        selection.rfMode = 1;
        selection.bandwidth = 2;
        selection.baudRate = 2;
        selection.parity = 1;
        selection.power = 2;
        ModuleParams reply{};
        reply.spreadingFactor = 8;
        reply.mode = 1;
        reply.bandwidthCode = 8;
        reply.baudCode = 3;
        reply.parity = 1;
        reply.power = 3;
        row.code(reply);
        ShowParams(reply, selection, kDot);
        EXPECT_EQ(row.index(selection), row.expected);
    }
}

TEST(SettingChoicesTest, ModuleSpeedZeroIsWrittenBackAsCodeEight) {
    ModuleSelection selection;
    ModuleParams reply = CollectParams(selection);
    reply.baudCode = 0;
    ShowParams(reply, selection, kDot);
    EXPECT_EQ(CollectParams(selection).baudCode, 8);
}

TEST(SettingChoicesTest, ClearedBreathAndWakeSelectionsAreWrittenAsFF) {
    ModuleSelection selection;
    ModuleParams reply = CollectParams(selection);
    reply.breathIndex = 5;
    reply.wakeIndex = 6;
    ShowParams(reply, selection, kDot);
    const ModuleParams params = CollectParams(selection);
    EXPECT_EQ(params.breathIndex, 0xFF);
    EXPECT_EQ(params.wakeIndex, 0xFF);
}

TEST(SettingChoicesTest, ShowParamsPutsNumbersThroughTheFieldsAndTheirClamps) {
    struct Row {
        const char* name;
        double frequency;
        std::uint8_t high, low, net;
        std::string frequencyText, nodeText, netText;
        double frequencyValue, nodeValue;
    };
    const Row rows[] = {
        {"plain values", 868.25, 0x12, 0x34, 7, "868.25", "4660", "7", 868.25, 4660},
        {"a frequency in the gap becomes 433", 120.5, 0, 0, 0, "433.00", "0", "0", 433.0, 0},
        {"a frequency above 990 becomes 433", 1000.0, 0, 0, 0, "433.00", "0", "0", 433.0, 0},
        {"a frequency is read back with two decimals", 433.126, 0, 0, 0, "433.13", "0", "0", 433.13,
         0},
        {"the largest node ID", 434.0, 0xFF, 0xFF, 255, "434.00", "65535", "255", 434.0, 65535},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ModuleSelection selection;
        ModuleParams reply = CollectParams(selection);
        reply.frequencyMHz = row.frequency;
        reply.nodeIdHigh = row.high;
        reply.nodeIdLow = row.low;
        reply.netId = row.net;
        ShowParams(reply, selection, kDot);
        EXPECT_EQ(selection.frequency.text, row.frequencyText);
        EXPECT_EQ(selection.nodeId.text, row.nodeText);
        EXPECT_EQ(selection.netId.text, row.netText);
        EXPECT_DOUBLE_EQ(selection.frequency.value, row.frequencyValue);
        EXPECT_DOUBLE_EQ(selection.nodeId.value, row.nodeValue);
        EXPECT_EQ(CollectParams(selection).frequencyMHz, row.frequencyValue);
    }
}

TEST(SettingChoicesTest, AValueWhoseTextIsAlreadyShownIsKeptExactly) {
    ModuleSelection selection;  // shows "434.00"
    ModuleParams reply = CollectParams(selection);
    reply.frequencyMHz = 434.001;
    ShowParams(reply, selection, kDot);
    EXPECT_EQ(selection.frequency.text, "434.00");
    EXPECT_EQ(selection.frequency.value, 434.001);
}

TEST(SettingChoicesTest, FormatNumberRoundsTheShownDigitsHalfAwayFromZero) {
    struct Row {
        double value;
        int decimals;
        const char* text;
    };
    const Row rows[] = {
        {433.5, 2, "433.50"},  {433.125, 2, "433.13"},
        {0, 2, "0.00"},        {99.999, 2, "100.00"},
        {4660, 0, "4660"},     {0.5, 0, "1"},
        {65535.4, 0, "65535"}, {1e20, 0, "100000000000000000000"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(FormatNumber(row.value, row.decimals, kDot), row.text) << row.value;
    }
    EXPECT_EQ(FormatNumber(433.5, 2, NumberFormat{",", "."}), "433,50");
}

TEST(SettingChoicesTest, ParseNumberReadsLocaleTextsAndRefusesTheRest) {
    const NumberFormat comma{",", "."};
    struct Row {
        const char* text;
        const NumberFormat& format;
        std::optional<double> value;
    };
    const Row rows[] = {
        {"433.5", kDot, 433.5},
        {"1,000.25", kDot, 1000.25},
        {"433,5", comma, 433.5},
        {"1.000", comma, 1000.0},
        {"12e1", kDot, 120.0},
        {" 7 ", kDot, 7.0},
        {"+7", kDot, 7.0},
        {"abc", kDot, std::nullopt},
        {"1.2.3", kDot, std::nullopt},
        {"-5", kDot, std::nullopt},
        {"inf", kDot, std::nullopt},
        {"nan", kDot, std::nullopt},
        {"1e999", kDot, std::nullopt},
        {"", kDot, std::nullopt},
        {"4 3", kDot, std::nullopt},
        {"433.5", comma, 4335.0},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(ParseNumber(row.text, row.format), row.value) << '"' << row.text << '"';
    }
}

TEST(SettingChoicesTest, PortAndSpeedAreReadFromTheListTexts) {
    struct Row {
        const char* text;
        unsigned port;
    };
    const Row rows[] = {{"COM1", 1}, {"COM12", 12}, {"COM255", 255}, {"", 0},
                        {"COM", 0},  {"7", 7},      {"XM3Y", 3},     {"COMx4", 0}};
    for (const Row& row : rows) {
        EXPECT_EQ(PortNumberFromText(row.text), row.port) << '"' << row.text << '"';
    }
    EXPECT_EQ(BaudRateFromText("115200"), 115200);
    EXPECT_EQ(BaudRateFromText(""), 0);
}

}  // namespace
}  // namespace vesk::ui
