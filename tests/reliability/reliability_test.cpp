// The link under load and faults, end to end over real pseudo-terminals: long
// runs against a noisy simulated module, open/close cycling, unplugging,
// stalled writes, garbage, the wrong speed and a port held by another process.
// Counts are small here and divided further in sanitizer builds; scripts/soak
// runs the full ones.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "reliability/scenarios.h"

namespace vesk::reliability {
namespace {

int Scaled(int count) {
    return std::max(1, count / SanitizerSlowdown());
}

struct LongRunCase {
    std::string name;
    std::vector<std::string> simArgs;
    int reads;
    bool damagedRepliesExpected;
};

// Rows print as their names, so ctest lists the cases by name alone.
void PrintTo(const LongRunCase& row, std::ostream* out) {
    *out << row.name;
}

class LongRunTest : public ::testing::TestWithParam<LongRunCase> {};

TEST_P(LongRunTest, EveryRequestIsAnsweredOnceAndNothingElseIsDecoded) {
    const LongRunCase& row = GetParam();
    const RoundTripFigures figures = RunRoundTrips({row.simArgs, Scaled(row.reads), 25, 7});
    ASSERT_TRUE(figures.started);
    EXPECT_EQ(figures.sendFailures, 0);
    EXPECT_EQ(figures.missing, 0);
    EXPECT_EQ(figures.wrongSettings, 0);
    EXPECT_EQ(figures.unexpected, 0);
    EXPECT_EQ(figures.good + figures.badChecksum, figures.requests);
    if (row.damagedRepliesExpected) {
        EXPECT_GT(figures.badChecksum, 0);
    } else {
        EXPECT_EQ(figures.badChecksum, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Reliability, LongRunTest,
    ::testing::Values(LongRunCase{"NoisyRepliesSplitIntoSingleBytes",
                                  {"--no-line-time", "--noise", "0.05", "--split"},
                                  300,
                                  false},
                      LongRunCase{"RepliesWithDamagedChecksumsAreReportedAsDamaged",
                                  {"--no-line-time", "--noise", "0.05", "--corrupt", "0.3"},
                                  300,
                                  true}),
    [](const auto& tested) { return tested.param.name; });

TEST(OpenCloseCycleTest, ThousandCyclesWithTrafficLeaveNoDescriptorOrThreadBehind) {
    const CycleFigures figures = RunOpenCloseCycles(Scaled(1000));
    ASSERT_TRUE(figures.started);
    EXPECT_EQ(figures.failedOpens, 0);
    EXPECT_EQ(figures.missingReplies, 0);
    EXPECT_EQ(figures.descriptorsAfter, figures.descriptorsBefore);
    EXPECT_EQ(figures.threadsAfter, figures.threadsBefore);
}

struct UnplugCase {
    std::string name;
    UnplugWay way;
    bool requestOutstanding;
};

void PrintTo(const UnplugCase& row, std::ostream* out) {
    *out << row.name;
}

class UnplugTest : public ::testing::TestWithParam<UnplugCase> {};

TEST_P(UnplugTest, PortLostArrivesOnceTheProcessIdlesAndTheModuleCanComeBack) {
    const UnplugCase& row = GetParam();
    const UnplugFigures figures = RunUnplug(row.way, row.requestOutstanding);
    ASSERT_TRUE(figures.started);
    ASSERT_TRUE(figures.requestSent);
    EXPECT_EQ(figures.portLost, 1);
    EXPECT_EQ(figures.otherNotifications, 0);
    // A reader spinning on the hang-up would use all of the idle time.
    EXPECT_LT(figures.idleCpuSeconds, figures.idleSeconds / 2);
    EXPECT_TRUE(figures.sendRefused);
    EXPECT_TRUE(figures.reopened);
    EXPECT_TRUE(figures.answeredAfterReopen);
}

INSTANTIATE_TEST_SUITE_P(
    Reliability, UnplugTest,
    ::testing::Values(
        UnplugCase{"MasterClosedWithARequestOutstanding", UnplugWay::kCloseMaster, true},
        UnplugCase{"MasterClosedWhileIdle", UnplugWay::kCloseMaster, false},
        UnplugCase{"SimulatorKilledWithARequestOutstanding", UnplugWay::kKillSimulator, true},
        UnplugCase{"SimulatorKilledWhileIdle", UnplugWay::kKillSimulator, false}),
    [](const auto& tested) { return tested.param.name; });

TEST(StalledWriteTest, AModuleThatStopsReadingMakesSendFailAndNothingHangs) {
    // 2000 requests are 50 000 bytes: the line fills and times out twice or more.
    const StallFigures figures = RunStalledWrites(2000);
    ASSERT_TRUE(figures.started);
    EXPECT_EQ(figures.acceptedRequests + figures.refusedRequests, 2000);
    EXPECT_GE(figures.refusedRequests, 1);
    EXPECT_FALSE(figures.blockAccepted);  // a full line is never reported as written
    EXPECT_EQ(figures.notifications, 0);
}

struct GarbageCase {
    std::string name;
    bool framingHeavy;
};

void PrintTo(const GarbageCase& row, std::ostream* out) {
    *out << row.name;
}

class GarbageTest : public ::testing::TestWithParam<GarbageCase> {};

TEST_P(GarbageTest, OneMebibyteThenAValidReplyGivesWhatTheRulesSayInBoundedMemory) {
    const GarbageFigures figures = RunGarbage(1 << 20, 3, GetParam().framingHeavy);
    ASSERT_TRUE(figures.started);
    EXPECT_TRUE(figures.notificationsMatch);
    EXPECT_TRUE(figures.finalReplyDecoded);
    // The reader keeps one fixed buffer; a copy per byte would show here.
    EXPECT_LT(figures.residentGrowthKiB, 8 * 1024);
    if (GetParam().framingHeavy) {
        EXPECT_GT(figures.referenceBad, 0);  // the garbage really reached the checksum test
    }
}

INSTANTIATE_TEST_SUITE_P(Reliability, GarbageTest,
                         ::testing::Values(GarbageCase{"UniformRandomBytes", false},
                                           GarbageCase{"FramingHeavyBytes", true}),
                         [](const auto& tested) { return tested.param.name; });

class WrongSpeedTest : public ::testing::TestWithParam<int> {};

TEST_P(WrongSpeedTest, APcAtAnotherSpeedIsNeverAnsweredUntilItSwitches) {
    const WrongSpeedFigures figures = RunWrongSpeed(GetParam(), 5);
    ASSERT_TRUE(figures.started);
    EXPECT_EQ(figures.requests, 5);
    EXPECT_EQ(figures.good, 0);
    EXPECT_EQ(figures.otherNotifications, 0);
    EXPECT_TRUE(figures.answeredAtRightSpeed);
}

INSTANTIATE_TEST_SUITE_P(Reliability, WrongSpeedTest, ::testing::Values(1200, 19200, 115200),
                         [](const auto& tested) { return "PcAt" + std::to_string(tested.param); });

TEST(ContentionTest, APortLockedByAnotherProcessIsNeitherListedNorOpenedUntilItLetsGo) {
    const ContentionFigures figures = RunContention();
    ASSERT_TRUE(figures.started);
    ASSERT_TRUE(figures.holderLocked);
    EXPECT_FALSE(figures.listedWhileHeld);
    EXPECT_FALSE(figures.openedWhileHeld);
    EXPECT_TRUE(figures.listedAfter);
    EXPECT_TRUE(figures.openedAfter);
}

}  // namespace
}  // namespace vesk::reliability
