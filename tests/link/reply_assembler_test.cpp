// Reply frames found in a byte stream: which notifications a stream produces
// and which settings the last good frame carries.
#include "link/reply_assembler.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "link/frame_fixtures.h"

namespace vesk {
namespace {

using testing::Bytes;
using Outcome = ReplyAssembler::Outcome;

Bytes Default() {
    return testing::ToBytes(testing::kDefaultWriteFrame);
}

Bytes With(Bytes bytes, std::size_t at, std::uint8_t value) {
    bytes[at] = value;
    return bytes;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// The default frame with `count` ordinary bytes between its checksum and its 0D 0A.
Bytes Padded(std::size_t count) {
    Bytes bytes = Default();
    bytes.insert(bytes.begin() + 23, count, 0x55);
    return bytes;
}

Bytes Params(ModuleParams params) {
    return testing::ToBytes(BuildWriteRequest(params));
}

ModuleParams DefaultsWith(void (*change)(ModuleParams&)) {
    ModuleParams params = testing::WindowDefaults();
    change(params);
    return params;
}

ModuleParams DecodedDefault() {
    ModuleParams params = testing::WindowDefaults();
    params.command = 1;
    return params;
}

struct StreamCase {
    std::string description;
    Bytes stream;
    std::vector<Outcome> outcomes;
    std::optional<ModuleParams> lastGood;
};

std::vector<StreamCase> Cases() {
    const Outcome good = Outcome::kGoodFrame, bad = Outcome::kBadChecksum;
    const Bytes nodeIdAfAf =
        Params(DefaultsWith([](ModuleParams& p) { p.nodeIdHigh = p.nodeIdLow = 0xAF; }));
    const Bytes lowIdAndNetAf =
        Params(DefaultsWith([](ModuleParams& p) { p.nodeIdLow = p.netId = 0xAF; }));
    const Bytes register_AfAf79 =
        Params(DefaultsWith([](ModuleParams& p) { p.frequencyMHz = 702.74; }));
    const Bytes earlyClose =
        Params(DefaultsWith([](ModuleParams& p) { p.baudCode = 0x0D, p.parity = 0x0A; }));
    Bytes runaway = With(Default(), 7, 0xFF);
    runaway.resize(8);
    for (int i = 0; i < 300; ++i) {
        runaway.insert(runaway.end(), {0xAF, 0x0A});
    }
    runaway.insert(runaway.end(), {0x0D, 0x0A});
    ModuleParams lengthF9 = DecodedDefault();

    return {
        {"a well-formed frame gives one good reply with its settings",
         Default(),
         {good},
         DecodedDefault()},
        {"a wrong checksum gives one mismatch and no reply",
         With(Default(), 22, 0xBC),
         {bad},
         std::nullopt},
        {"noise before a frame changes nothing",
         Concat({{0x00, 0x13, 0xFF, 0x0D, 0x0A, 0x55}, Default()}),
         {good},
         DecodedDefault()},
        {"a single 0xAF in the noise followed by another byte is forgotten",
         Concat({{0x31, 0xAF, 0x33}, Default()}),
         {good},
         DecodedDefault()},
        {"one 0xAF right before a frame shifts it and it is dropped silently",
         Concat({{0xAF}, Default()}),
         {},
         std::nullopt},
        {"three 0xAF right before a frame shift it the same way",
         Concat({{0xAF, 0xAF, 0xAF}, Default()}),
         {},
         std::nullopt},
        {"two 0xAF right before a frame are a frame start of their own and the frame restarts",
         Concat({{0xAF, 0xAF}, Default()}),
         {good},
         DecodedDefault()},
        {"several frames in one read give one reply each",
         Concat({Default(), Default(), Default()}),
         {good, good, good},
         DecodedDefault()},
        {"node ID AF AF restarts the frame and the rest is too short to close",
         Concat({nodeIdAfAf}),
         {},
         std::nullopt},
        {"after a frame that cannot close, the next frame is still read",
         Concat({nodeIdAfAf, Default()}),
         {good},
         DecodedDefault()},
        {"node ID low byte and net ID 0xAF restart too and nothing closes",
         lowIdAndNetAf,
         {},
         std::nullopt},
        {"702.74 MHz (AF AF 79) closes a 15-byte rest whose checksum fails",
         register_AfAf79,
         {bad},
         std::nullopt},
        {"length byte F9 passes the checksum whatever the frame holds",
         With(With(Default(), 7, 0xF9), 22, 0x00),
         {good},
         lengthF9},
        {"length byte F8 always fails the checksum", With(Default(), 7, 0xF8), {bad}, std::nullopt},
        {"five bytes between checksum and end (30 bytes) still decode",
         Padded(5),
         {good},
         DecodedDefault()},
        {"six bytes between checksum and end (31 bytes) are dropped", Padded(6), {}, std::nullopt},
        {"0D 0A inside the block closes early and reads a stale checksum",
         Concat({Default(), earlyClose}),
         {good, bad},
         DecodedDefault()},
        {"bytes that never close are dropped past 512 and the next frame decodes",
         Concat({runaway, Default()}),
         {good},
         DecodedDefault()},
    };
}

TEST(ReplyAssemblerTest, StreamsGiveTheExpectedNotificationsAndReply) {
    for (const StreamCase& c : Cases()) {
        SCOPED_TRACE(c.description);
        ReplyAssembler assembler;
        std::vector<Outcome> outcomes;
        std::optional<ModuleParams> lastGood;
        for (std::uint8_t byte : c.stream) {
            const Outcome outcome = assembler.Feed(byte);
            if (outcome == Outcome::kNone) {
                continue;
            }
            outcomes.push_back(outcome);
            if (outcome == Outcome::kGoodFrame) {
                lastGood = DecodeSettings(assembler.Frame());
            }
        }
        EXPECT_EQ(outcomes, c.outcomes);
        EXPECT_EQ(lastGood, c.lastGood);
    }
}

}  // namespace
}  // namespace vesk
