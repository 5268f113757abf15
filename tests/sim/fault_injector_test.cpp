// The fault choices per reply: rates at their ends, repeatability by seed.
#include "sim/fault_injector.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "sim/module_model.h"
#include "sim/sim_options.h"

namespace vesk::sim {
namespace {

const Frame kReply = BuildReply(kCommandReadAll, BlockFromParams(DefaultModuleSettings()));

TEST(FaultInjector, RatesOfZeroLeaveEveryReplyAlone) {
    FaultInjector faults({}, 1);
    for (int i = 0; i < 1000; ++i) {
        const Transmission out = faults.Apply(kReply);
        ASSERT_FALSE(out.dropped);
        ASSERT_FALSE(out.corrupted);
        ASSERT_TRUE(out.noise.empty());
        ASSERT_EQ(out.frame, kReply);
    }
}

TEST(FaultInjector, RatesOfOneHitEveryReply) {
    FaultInjector faults({1.0, 1.0, 1.0}, 1);
    for (int i = 0; i < 1000; ++i) {
        const Transmission out = faults.Apply(kReply);
        ASSERT_TRUE(out.dropped);
        ASSERT_TRUE(out.corrupted);
        ASSERT_NE(out.frame[offset::kChecksum], kReply[offset::kChecksum]);
        Frame repaired = out.frame;
        repaired[offset::kChecksum] = kReply[offset::kChecksum];
        ASSERT_EQ(repaired, kReply);  // only the checksum is damaged
        ASSERT_GE(out.noise.size(), 1u);
        ASSERT_LE(out.noise.size(), 8u);
        // A lone 0xAF would pair with the frame's first byte and lose the frame.
        ASSERT_EQ(std::count(out.noise.begin(), out.noise.end(), 0xAF), 0);
    }
}

TEST(FaultInjector, TheSameSeedGivesTheSameFaults) {
    FaultInjector first({0.5, 0.5, 0.5}, 42);
    FaultInjector second({0.5, 0.5, 0.5}, 42);
    int corrupted = 0;
    for (int i = 0; i < 1000; ++i) {
        const Transmission a = first.Apply(kReply);
        const Transmission b = second.Apply(kReply);
        ASSERT_EQ(a.dropped, b.dropped);
        ASSERT_EQ(a.frame, b.frame);
        ASSERT_EQ(a.noise, b.noise);
        corrupted += a.corrupted ? 1 : 0;
    }
    // About half, for this seed; far from the ends either way.
    EXPECT_GT(corrupted, 400);
    EXPECT_LT(corrupted, 600);
}

}  // namespace
}  // namespace vesk::sim
