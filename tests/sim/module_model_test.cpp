// The module model as a pure function: bytes in, reply bytes out, settings after.
#include "sim/module_model.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "sim/module_speed.h"
#include "sim/sim_options.h"

namespace vesk::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

Bytes ToBytes(const Frame& frame) {
    return Bytes(frame.begin(), frame.end());
}

ModuleParams WindowDefaults() {
    ModuleParams p;
    p.baudCode = 4;
    p.frequencyMHz = 434.00;
    p.spreadingFactor = 11;
    p.bandwidthCode = 7;
    p.power = 7;
    p.wakeIndex = 4;
    return p;
}

// A request frame with one byte changed and, unless the change is the
// checksum itself, the checksum made right again.
Bytes Altered(const Frame& frame, std::size_t at, std::uint8_t value) {
    Frame changed = frame;
    changed[at] = value;
    if (at != offset::kChecksum) {
        changed[offset::kChecksum] = Checksum(changed.data(), offset::kChecksum);
    }
    return ToBytes(changed);
}

const SettingsBlock kInitial = BlockFromParams(DefaultModuleSettings());
const SettingsBlock kWritten = BlockFromParams(WindowDefaults());
const Frame kWriteRequest = BuildWriteRequest(WindowDefaults());

struct Outcome {
    Bytes output;
    std::vector<Verdict> verdicts;  // every verdict other than kNothing
    SettingsBlock settings;
};

Outcome FeedAll(const Bytes& input) {
    ModuleModel model(kInitial);
    Outcome outcome;
    for (std::uint8_t byte : input) {
        const ModuleStep step = model.Feed(byte);
        if (step.verdict != Verdict::kNothing) {
            outcome.verdicts.push_back(step.verdict);
        }
        if (step.reply) {
            outcome.output.insert(outcome.output.end(), step.reply->begin(), step.reply->end());
        }
    }
    outcome.settings = model.Settings();
    return outcome;
}

struct ModelCase {
    std::string name;
    Bytes input;
    Bytes expectedOutput;
    std::vector<Verdict> expectedVerdicts;
    SettingsBlock expectedSettings;
};

std::vector<ModelCase> ModelCases() {
    const Bytes read = ToBytes(ReadRequest());
    const Bytes readReply = ToBytes(BuildReply(kCommandReadAll, kInitial));
    const Bytes write = ToBytes(kWriteRequest);
    const Bytes writeReply = ToBytes(BuildReply(kCommandWriteAll, kWritten));
    const Bytes noise = {0x00, 0xAF, 0x13, 0x0D, 0x0A, 0xAF, 0xAF, 0x0A, 0xFF};

    // A frequency register that decodes to 434.00 but is not how 434.00 encodes.
    Frame oddRegister = kWriteRequest;
    oddRegister[offset::kFrequency + 2] = 0x00;
    oddRegister[offset::kChecksum] = Checksum(oddRegister.data(), offset::kChecksum);
    SettingsBlock oddStored = kWritten;
    oddStored[offset::kFrequency + 2 - offset::kSettings] = 0x00;

    return {
        {"ReadAllIsAnsweredWithTheSettings", read, readReply, {Verdict::kRequest}, kInitial},
        {"WriteAllStoresTheBlockAndAnswersWithIt",
         write,
         writeReply,
         {Verdict::kRequest},
         kWritten},
        {"AWriteIsStoredByteForByte",
         ToBytes(oddRegister),
         ToBytes(BuildReply(kCommandWriteAll, oddStored)),
         {Verdict::kRequest},
         oddStored},
        {"AWrongChecksumGetsNoAnswer",
         Altered(kWriteRequest, offset::kChecksum, 0x00),
         {},
         {Verdict::kBadChecksum},
         kInitial},
        {"ALengthOtherThan14GetsNoAnswer",
         Altered(kWriteRequest, offset::kLength, 13),
         {},
         {Verdict::kBadLength},
         kInitial},
        {"AnUnknownCommandGetsNoAnswer",
         Altered(ReadRequest(), offset::kCommand, 0x03),
         {},
         {Verdict::kUnknownCommand},
         kInitial},
        {"AnotherHeaderGetsNoAnswer",
         Altered(ReadRequest(), 5, 0x81),
         {},
         {Verdict::kBadHeader},
         kInitial},
        {"NoiseAroundARequestIsSkipped",
         Join({noise, write, noise}),
         writeReply,
         {Verdict::kRequest},
         kWritten},
        {"AnOddRunOf0xAFBeforeARequestIsSkipped",
         Join({{0xAF, 0xAF, 0xAF}, read}),
         readReply,
         {Verdict::kRequest},
         kInitial},
        {"ACutRequestIsForgottenWhenAWholeOneFollows",
         Join({Bytes(read.begin(), read.end() - 1), read}),
         readReply,
         {Verdict::kRequest},
         kInitial},
        {"RequestsBackToBackAreEachAnswered",
         Join({write, read}),
         Join({writeReply, ToBytes(BuildReply(kCommandReadAll, kWritten))}),
         {Verdict::kRequest, Verdict::kRequest},
         kWritten},
        {"ARequestWithABytePushedInIsNotAnswered",
         Join({Bytes(read.begin(), read.begin() + 10),
               {0x00},
               Bytes(read.begin() + 10, read.end())}),
         {},
         {},
         kInitial},
    };
}

class ModuleModelTable : public ::testing::TestWithParam<ModelCase> {};

TEST_P(ModuleModelTable, GivesTheExpectedRepliesAndSettings) {
    const ModelCase& c = GetParam();
    const Outcome outcome = FeedAll(c.input);
    EXPECT_EQ(outcome.output, c.expectedOutput);
    EXPECT_EQ(outcome.verdicts, c.expectedVerdicts);
    EXPECT_EQ(outcome.settings, c.expectedSettings);
}

INSTANTIATE_TEST_SUITE_P(Requests, ModuleModelTable, ::testing::ValuesIn(ModelCases()),
                         [](const auto& testCase) { return testCase.param.name; });

TEST(ModuleModel, ARequestFedOneByteAtATimeAfterAFloodIsAnswered) {
    std::mt19937 generator(5);
    Bytes flood(100000);
    for (std::uint8_t& byte : flood) {
        byte = static_cast<std::uint8_t>(generator());
    }
    const Outcome outcome = FeedAll(Join({flood, ToBytes(ReadRequest())}));
    EXPECT_EQ(outcome.output, ToBytes(BuildReply(kCommandReadAll, kInitial)));
}

struct SpeedCase {
    std::string name;
    std::uint8_t writtenCode;
    bool speedChanged;
    int newBaud;
};

class ModuleModelSpeed : public ::testing::TestWithParam<SpeedCase> {};

TEST_P(ModuleModelSpeed, AWriteReportsWhetherTheLineSpeedChanged) {
    const SpeedCase& c = GetParam();
    ModuleModel model(kInitial);  // code 4, 9600 baud
    ModuleParams params = DefaultModuleSettings();
    params.baudCode = c.writtenCode;
    ModuleStep step;
    for (std::uint8_t byte : BuildWriteRequest(params)) {
        step = model.Feed(byte);
    }
    ASSERT_TRUE(step.reply.has_value());
    EXPECT_EQ(step.speedChanged, c.speedChanged);
    EXPECT_EQ(model.LineBaud(), c.newBaud);
    EXPECT_EQ((*step.reply)[offset::kSettings], c.writtenCode);
}

INSTANTIATE_TEST_SUITE_P(Speeds, ModuleModelSpeed,
                         ::testing::Values(SpeedCase{"SameCode", 4, false, 9600},
                                           SpeedCase{"Code5Is19200", 5, true, 19200},
                                           SpeedCase{"Code0Is115200", 0, true, 115200},
                                           SpeedCase{"CodeOutsideTheTableIs115200", 9, true,
                                                     115200}),
                         [](const auto& testCase) { return testCase.param.name; });

TEST(ModuleSpeed, CodesFollowTheWindowsModuleSpeedList) {
    const int expected[] = {115200, 1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
    for (std::uint8_t code = 0; code <= kLastBaudCode; ++code) {
        EXPECT_EQ(BaudForCode(code), expected[code]) << "code " << int{code};
    }
    EXPECT_EQ(BaudForCode(255), 115200);
}

}  // namespace
}  // namespace vesk::sim
